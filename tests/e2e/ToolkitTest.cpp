// Ondrel against prompts of toolkits nobody here wrote: a GTK 3 message dialog, a GTK 4 window and
// message dialog, a Qt 6 message box and a page in Chromium. Each prompt harmless once (pressed)
// and risky once (left for the user).

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/Desktop.h"

namespace ondrel::testing_support {
namespace {

namespace fs = std::filesystem;

constexpr const char* python = "/usr/bin/python3";  // the distribution's, with its GTK and Qt bindings
const std::string harmless = "Velquin wants to read README.md";
const std::string risky = "Velquin wants to run: rm -rf build/";

std::string skipped(const std::string& window) {
    return "SKIP (safe mode) in [" + window + "]: prompt mentions \"rm -rf\" - left for you";
}

std::string pressed(const std::string& window) {
    return "Pressed \"Allow\" in [" + window + "]";
}

// XDG_DATA_HOME for one test, holding Velquin's desktop entry with the given Exec line.
class DataHome {
public:
    explicit DataHome(const std::string& exec) {
        std::string pattern = (fs::temp_directory_path() / "ondrel-data-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
        fs::create_directories(folder_ + "/applications");
        std::ofstream(folder_ + "/applications/dev.velquin.desktop.desktop")
            << "[Desktop Entry]\nType=Application\nName=Velquin\nExec=" << exec << "\n";
    }
    ~DataHome() { fs::remove_all(folder_); }
    std::string variable() const { return "XDG_DATA_HOME=" + folder_; }

private:
    std::string folder_;
};

TEST_F(Desktop, gtk3MessageDialog_harmlessPressedRiskyLeft) {
    // GTK names a message dialog after its kind; the window is "Question".
    {
        Target velquin(python, {targetScript("gtk3_message_dialog.py"), harmless});
        ASSERT_TRUE(velquin.ready());
        EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", pressed("Question")}));
        EXPECT_EQ(velquin.presses(), Lines{"Allow in Question"});
    }
    Target velquin(python, {targetScript("gtk3_message_dialog.py"), risky});
    EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", skipped("Question")}));
    EXPECT_TRUE(velquin.presses().empty());
}

TEST_F(Desktop, gtk4WindowAndMessageDialog_harmlessPressedRiskyLeft) {
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

TEST_F(Desktop, qt6MessageBox_launchedByGio_harmlessPressedRiskyLeft) {
    // Qt names its application after the script, so only the launch environment says it is Velquin.
    const auto launchedByGio = [](const std::string& text) {
        return std::vector<std::string>{"-c", "export GIO_LAUNCHED_DESKTOP_FILE_PID=$$; exec \"$0\" \"$@\"", python,
                                        targetScript("qt6_message_box.py"), text};
    };
    const std::vector<std::string> environment{
        "GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop"};
    {
        Target velquin("/bin/sh", launchedByGio(harmless), environment);
        ASSERT_TRUE(velquin.ready());
        EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", pressed("Permission")}));
        EXPECT_EQ(velquin.presses(), Lines{"Allow in Permission"});
    }
    Target velquin("/bin/sh", launchedByGio(risky), environment);
    EXPECT_EQ(messages(ondrel({"--once"}).out), (Lines{"Accessibility OK.", skipped("Permission")}));
    EXPECT_TRUE(velquin.presses().empty());
}

TEST_F(Desktop, chromiumPage_foundByDesktopEntryWithoutItsSwitch_harmlessPressedRiskyLeft) {
    // Started without --force-renderer-accessibility: Ondrel shows itself as an assistive technology.
    const DataHome dataHome("/usr/lib/chromium/chromium %U");
    Target velquin(python, {targetScript("chromium_page.py"), harmless, risky});
    ASSERT_TRUE(velquin.ready());
    const ProgramRun run = ondrel({"--once"}, 20, {dataHome.variable()});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", pressed("Velquin Chat"), skipped("Velquin Chat")}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Velquin Chat"});
}

TEST_F(Desktop, chromiumPage_startedWithItsAccessibilitySwitch_pressed) {
    const DataHome dataHome("/usr/lib/chromium/chromium --force-renderer-accessibility %U");
    Target velquin(python, {targetScript("chromium_page.py"), "--force-renderer-accessibility", harmless});
    ASSERT_TRUE(velquin.ready());
    const ProgramRun run = ondrel({"--once"}, 20, {dataHome.variable()});
    EXPECT_EQ(messages(run.out), (Lines{"Accessibility OK.", pressed("Velquin Chat")}));
    EXPECT_EQ(velquin.presses(), Lines{"Allow in Velquin Chat"});
}

}  // namespace
}  // namespace ondrel::testing_support
