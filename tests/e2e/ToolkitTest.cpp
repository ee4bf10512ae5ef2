// SPDX-License-Identifier: MIT
// Ondrel against prompts of toolkits nobody here wrote: a GTK 3 message dialog, a GTK 4 window and
// message dialog, a Qt 6 message box and a page in Chromium. Each prompt harmless once (pressed)
// and risky once (left for the user).

#include <string>
#include <vector>

#include "tests/support/Desktop.h"
#include "tests/support/Files.h"

namespace ondrel::testing_support {
namespace {

constexpr const char* python = "/usr/bin/python3";  // the distribution's, with its GTK and Qt bindings
const std::string harmless = "Velquin wants to read README.md";
const std::string risky = "Velquin wants to run: rm -rf build/";

std::string skipped(const std::string& window) {
    return "SKIP (safe mode) in [" + window + "]: prompt mentions \"rm -rf\" - left for you";
}

std::string pressed(const std::string& window) {
    return "Pressed \"Allow\" in [" + window + "]";
}

class Toolkit : public Desktop {
protected:
    // The target started once with the harmless prompt (pressed) and once with the risky one (left alone);
    // `arguments` makes the target's arguments for a prompt text.
    static void expectHarmlessPressedRiskyLeft(const std::string& program,
                                               std::vector<std::string> (*arguments)(const std::string&),
                                               const std::string& window,
                                               const std::vector<std::string>& environment = {}) {
        {
            Target velquin(program, arguments(harmless), environment);
            ASSERT_TRUE(velquin.ready());
            EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", pressed(window)}));
            EXPECT_EQ(velquin.presses(), Lines{"Allow in " + window});
        }
        Target velquin(program, arguments(risky), environment);
        ASSERT_TRUE(velquin.ready());
        EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", skipped(window)}));
        EXPECT_TRUE(velquin.presses().empty());
    }
};

TEST_F(Toolkit, gtk3MessageDialog_harmlessPressedRiskyLeft) {
    // GTK names a message dialog after its kind; the window is "Question".
    expectHarmlessPressedRiskyLeft(
        python,
        [](const std::string& text) {
            return std::vector<std::string>{targetScript("gtk3_message_dialog.py"), text};
        },
        "Question");
}

TEST_F(Toolkit, gtk4WindowAndMessageDialog_harmlessPressedRiskyLeft) {
    // GTK 4.8 names a dialog's buttons twice over ("Allow Allow"); their labelled-by text is the label.
    {
        Target velquin(python, {targetScript("gtk4_prompts.py"), risky});
        ASSERT_TRUE(velquin.ready());
        EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", pressed("Chat"), skipped("Prompt")}));
        EXPECT_EQ(velquin.presses(), Lines{"Allow in Chat"});
    }
    Target velquin(python, {targetScript("gtk4_prompts.py"), harmless});
    EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", pressed("Chat"), pressed("Prompt")}));
    EXPECT_EQ(velquin.presses(), (Lines{"Allow in Chat", "Allow in Prompt"}));
}

TEST_F(Toolkit, qt6MessageBox_launchedByGio_harmlessPressedRiskyLeft) {
    // Qt names its application after the script, so only the launch environment says it is Velquin.
    expectHarmlessPressedRiskyLeft(
        "/bin/sh",
        [](const std::string& text) {
            return std::vector<std::string>{"-c", "export GIO_LAUNCHED_DESKTOP_FILE_PID=$$; exec \"$0\" \"$@\"", python,
                                            targetScript("qt6_message_box.py"), text};
        },
        "Permission", {"GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop"});
}

TEST_F(Toolkit, chromiumPage_foundByDesktopEntryWithoutItsSwitch_harmlessPressedRiskyLeft) {
    // Started without --force-renderer-accessibility: Ondrel shows itself as an assistive technology.
    const ScratchFolder dataHome;
    Target velquin(python, {targetScript("chromium_page.py"), harmless, risky});
    ASSERT_TRUE(velquin.ready());
    dataHome.write("applications/dev.velquin.desktop.desktop",
                   "[Desktop Entry]\nType=Application\nName=Velquin\nExec=/usr/lib/chromium/chromium %U\n");
    const ProgramRun run = ondrel({"--once"}, 20, {"XDG_DATA_HOME=" + dataHome.path()});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", pressed("Velquin Chat"), skipped("Velquin Chat")}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Velquin Chat"});
}

}  // namespace
}  // namespace ondrel::testing_support
