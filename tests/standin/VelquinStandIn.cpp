// SPDX-License-Identifier: MIT
// A stand-in for Velquin: a GTK 3 application whose windows, prompt texts and buttons come from a
// small scenario file, and which prints one line per button activation so tests can see exactly
// what was pressed.
//
//   velquin-standin [--app-id ID] [--non-unique] SCENARIO
//
// Scenario lines (leading blanks ignored, '#' starts a comment line):
//   window <title>                 a new top-level window
//   window-minimized <title>       the same, iconified once shown
//   window-later <seconds> <title> a window that appears only after a delay
//   text <text>                    a static text (a label); "\n" in it breaks the line
//   button <label>                 a push button; button-disabled <label> for an insensitive one
//   box ... end                    a nested container
//   fillers <n>                    n labels, ten to a nested box
//   end                            closes the innermost box or the window
//
// Output: "ready <pid>" once every immediate window is shown, then "pressed\t<label>\t<window>" for
// every activation, flushed at once. An answered prompt goes away, as a real one does: a pressed
// button's box (or the button itself, outside a box) is removed.

#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Item {
    enum class Kind { text, button, box, fillers } kind;
    std::string text;
    bool enabled = true;
    int count = 0;
    std::vector<Item> children;
};

Item makeItem(Item::Kind kind, std::string text, bool enabled = true, int count = 0) {
    return Item{kind, std::move(text), enabled, count, {}};
}

struct WindowPlan {
    std::string title;
    bool minimized = false;
    double delaySeconds = 0;
    std::vector<Item> items;
};

struct Scenario {
    std::vector<WindowPlan> windows;
};

std::string restAfter(const std::string& line, const std::string& keyword) {
    std::string rest = line.substr(keyword.size());
    const auto start = rest.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : rest.substr(start);
}

bool startsWithWord(const std::string& line, const std::string& word) {
    return line.rfind(word, 0) == 0 && (line.size() == word.size() || line[word.size()] == ' ');
}

bool readScenario(const char* path, Scenario& scenario) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::vector<std::vector<Item>*> open;  // innermost container last
    for (std::string raw; std::getline(in, raw);) {
        const auto start = raw.find_first_not_of(" \t");
        if (start == std::string::npos || raw[start] == '#')
            continue;
        const std::string line = raw.substr(start);

        if (startsWithWord(line, "window") || startsWithWord(line, "window-minimized") ||
            startsWithWord(line, "window-later")) {
            WindowPlan window;
            if (startsWithWord(line, "window-later")) {
                std::string rest = restAfter(line, "window-later");
                const auto space = rest.find(' ');
                window.delaySeconds = std::atof(rest.substr(0, space).c_str());
                window.title = space == std::string::npos ? std::string() : rest.substr(space + 1);
            } else {
                window.minimized = startsWithWord(line, "window-minimized");
                window.title = restAfter(line, window.minimized ? "window-minimized" : "window");
            }
            scenario.windows.push_back(std::move(window));
            open.assign(1, &scenario.windows.back().items);
        } else if (open.empty()) {
            std::fprintf(stderr, "scenario: '%s' outside a window\n", line.c_str());
            return false;
        } else if (startsWithWord(line, "text")) {
            std::string text = restAfter(line, "text");
            for (auto at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
                text.replace(at, 2, "\n");
            open.back()->push_back(makeItem(Item::Kind::text, std::move(text)));
        } else if (startsWithWord(line, "button") || startsWithWord(line, "button-disabled")) {
            const bool enabled = startsWithWord(line, "button");
            open.back()->push_back(
                makeItem(Item::Kind::button, restAfter(line, enabled ? "button" : "button-disabled"), enabled));
        } else if (startsWithWord(line, "fillers")) {
            open.back()->push_back(
                makeItem(Item::Kind::fillers, "", true, std::atoi(restAfter(line, "fillers").c_str())));
        } else if (line == "box") {
            open.back()->push_back(makeItem(Item::Kind::box, ""));
            open.push_back(&open.back()->back().children);
        } else if (line == "end") {
            open.pop_back();
        } else {
            std::fprintf(stderr, "scenario: unknown line '%s'\n", line.c_str());
            return false;
        }
    }
    return true;
}

struct Pressed {
    std::string label;
    std::string window;
};

void onClicked(GtkButton* button, gpointer data) {
    const auto* pressed = static_cast<const Pressed*>(data);
    std::printf("pressed\t%s\t%s\n", pressed->label.c_str(), pressed->window.c_str());
    std::fflush(stdout);
    GtkWidget* prompt = GTK_WIDGET(button);
    if (g_object_get_data(G_OBJECT(gtk_widget_get_parent(prompt)), "prompt") != nullptr) {
        prompt = gtk_widget_get_parent(prompt);
    }
    gtk_widget_destroy(prompt);
}

void freePressed(gpointer data, GClosure*) {
    delete static_cast<Pressed*>(data);
}

void addItems(GtkWidget* box, const std::vector<Item>& items, const std::string& windowTitle) {
    for (const Item& item : items) {
        switch (item.kind) {
            case Item::Kind::text: {
                GtkWidget* label = gtk_label_new(item.text.c_str());
                gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
                gtk_container_add(GTK_CONTAINER(box), label);
                break;
            }
            case Item::Kind::button: {
                GtkWidget* button = gtk_button_new_with_label(item.text.c_str());
                gtk_widget_set_sensitive(button, item.enabled);
                g_signal_connect_data(button, "clicked", G_CALLBACK(onClicked), new Pressed{item.text, windowTitle},
                                      freePressed, GConnectFlags(0));
                gtk_container_add(GTK_CONTAINER(box), button);
                break;
            }
            case Item::Kind::box: {
                GtkWidget* inner = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
                g_object_set_data(G_OBJECT(inner), "prompt", inner);
                addItems(inner, item.children, windowTitle);
                gtk_container_add(GTK_CONTAINER(box), inner);
                break;
            }
            case Item::Kind::fillers: {
                GtkWidget* row = nullptr;
                for (int i = 0; i < item.count; ++i) {
                    if (i % 10 == 0) {
                        row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
                        gtk_container_add(GTK_CONTAINER(box), row);
                    }
                    gtk_container_add(GTK_CONTAINER(row), gtk_label_new(("filler " + std::to_string(i)).c_str()));
                }
                break;
            }
        }
    }
}

struct App {
    Scenario scenario;
    GtkApplication* application = nullptr;
};

void showWindow(GtkApplication* application, const WindowPlan& plan) {
    GtkWidget* window = gtk_application_window_new(application);
    gtk_window_set_title(GTK_WINDOW(window), plan.title.c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), 420, 240);
    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), 12);
    addItems(box, plan.items, plan.title);
    gtk_container_add(GTK_CONTAINER(scroll), box);
    gtk_container_add(GTK_CONTAINER(window), scroll);
    gtk_widget_show_all(window);
    if (plan.minimized)
        gtk_window_iconify(GTK_WINDOW(window));
}

struct Later {
    GtkApplication* application;
    const WindowPlan* plan;
};

gboolean showLater(gpointer data) {
    std::unique_ptr<Later> later(static_cast<Later*>(data));
    showWindow(later->application, *later->plan);
    std::printf("shown\t%s\n", later->plan->title.c_str());
    std::fflush(stdout);
    return G_SOURCE_REMOVE;
}

void onActivate(GtkApplication* application, gpointer data) {
    auto* app = static_cast<App*>(data);
    if (gtk_application_get_windows(application) != nullptr)
        return;                                      // a second activation
    g_application_hold(G_APPLICATION(application));  // stays up with no window too
    for (const WindowPlan& plan : app->scenario.windows) {
        if (plan.delaySeconds > 0) {
            g_timeout_add(static_cast<guint>(plan.delaySeconds * 1000), showLater, new Later{application, &plan});
        } else {
            showWindow(application, plan);
        }
    }
    std::printf("ready %d\n", static_cast<int>(::getpid()));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string applicationId = "dev.velquin.desktop";
    bool unique = true;
    const char* scenarioPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--app-id") == 0 && i + 1 < argc) {
            applicationId = argv[++i];
        } else if (std::strcmp(argv[i], "--non-unique") == 0) {
            unique = false;
        } else {
            scenarioPath = argv[i];
        }
    }
    App app;
    if (scenarioPath == nullptr || !readScenario(scenarioPath, app.scenario)) {
        std::fprintf(stderr, "usage: velquin-standin [--app-id ID] [--non-unique] SCENARIO\n");
        return 2;
    }
    g_set_prgname(applicationId.c_str());
    app.application =
        gtk_application_new(applicationId.c_str(), unique ? G_APPLICATION_DEFAULT_FLAGS : G_APPLICATION_NON_UNIQUE);
    g_signal_connect(app.application, "activate", G_CALLBACK(onActivate), &app);
    char* programOnly[] = {argv[0], nullptr};
    const int status = g_application_run(G_APPLICATION(app.application), 1, programOnly);
    g_object_unref(app.application);
    return status;
}
