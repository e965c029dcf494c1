// The desktop back-ends against their real services on a private D-Bus session (dconf,
// xfconf), or against stand-ins that record what they were asked (plasmashell, the
// pcmanfm and swaybg programs). Each runs muraltoctl set-wallpaper as a user would.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace muralto {
namespace {

class DesktopBackendsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "runtime");
        std::filesystem::permissions(home / "runtime", std::filesystem::perms::owner_all);
        std::filesystem::create_directories(home / "bin");
        std::filesystem::create_directories(home / "config");
        std::filesystem::create_directories(home / "My Pictures");
        test::WriteBitmap(picture, 16, 8, 0x3366CC);
    }
    // Runs a shell script in a private session bus with our environment.
    test::ProcessResult Session(const std::string& desktop, const std::string& script,
                                const std::vector<std::string>& more = {}) {
        const std::string program = std::string(MURALTO_PROGRAM_DIR);
        std::vector<std::string> environment = {"MURALTO_DESKTOP=" + desktop,
                                                "MURALTO_HOME=" + home.Path(),
                                                "MURALTO_REGISTRY=" + home / "registry.db",
                                                "XDG_CONFIG_HOME=" + home / "config",
                                                "XDG_RUNTIME_DIR=" + home / "runtime",
                                                "XDG_DATA_HOME=" + home / "data",
                                                "GSETTINGS_BACKEND=dconf",
                                                "GSETTINGS_SCHEMA_DIR=" + home / "schemas",
                                                "PATH=" + home / "bin" + ":" + program + ":" +
                                                    std::getenv("PATH"),
                                                "DISPLAY=",
                                                "WAYLAND_DISPLAY=",
                                                "PIC=" + picture,
                                                "SCRIPT=" + script};
        environment.insert(environment.end(), more.begin(), more.end());
        return test::RunProgram(test::Fixture("session.sh"), {}, environment);
    }
    void Fake(const std::string& name, const std::string& body) {
        test::WriteFile(home / ("bin/" + name), "#!/bin/sh\n" + body);
        std::filesystem::permissions(home / ("bin/" + name), std::filesystem::perms::owner_all);
    }
    // Fresh names handed to the desktop: "Wallpaper-<n>.bmp" beside the picture.
    int FreshNames() {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(home / "My Pictures"))
            n += e.path().filename().string().rfind("shot-", 0) == 0;
        return n;
    }
    test::TempDir home;
    std::string picture = home / "My Pictures/shot.bmp";
};

TEST_F(DesktopBackendsTest, GnomeKeysReadBackThroughDconf) {
    const auto r = Session("gnome", "muraltoctl set-wallpaper \"$PIC\" || exit 10\n"
                                    "muraltoctl set-wallpaper \"$PIC\" || exit 11\n"
                                    "muraltoctl set-wallpaper \"$PIC\" || exit 12\n"
                                    "gsettings get org.gnome.desktop.background picture-uri\n"
                                    "gsettings get org.gnome.desktop.background picture-uri-dark\n"
                                    "gsettings get org.gnome.desktop.background picture-options\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string prefix = "'file://" + home.Path() + "My%20Pictures/shot-";
    std::istringstream lines(r.out);
    std::string uri, dark, options;
    std::getline(lines, uri);
    std::getline(lines, dark);
    std::getline(lines, options);
    EXPECT_EQ(uri.rfind(prefix, 0), 0u) << uri;
    EXPECT_EQ(dark, uri); // dark mode shows the same picture
    EXPECT_EQ(options, "'centered'");
    EXPECT_EQ(FreshNames(), 2); // each change a new name; the last two are kept
}

TEST_F(DesktopBackendsTest, MateTakesAPathCinnamonAUri) {
    std::filesystem::create_directories(home / "schemas");
    test::WriteFile(home / "schemas/test.gschema.xml",
                    "<schemalist>\n"
                    "<schema id='org.mate.background' path='/org/mate/desktop/background/'>\n"
                    "<key name='picture-filename' type='s'><default>''</default></key>\n"
                    "<key name='picture-options' type='s'><default>'zoom'</default></key>\n"
                    "</schema>\n"
                    "<schema id='org.cinnamon.desktop.background' "
                    "path='/org/cinnamon/desktop/background/'>\n"
                    "<key name='picture-uri' type='s'><default>''</default></key>\n"
                    "<key name='picture-options' type='s'><default>'zoom'</default></key>\n"
                    "</schema>\n</schemalist>\n");
    ASSERT_EQ(std::system(("glib-compile-schemas '" + home / "schemas" + "'").c_str()), 0);
    const auto mate = Session("mate", "muraltoctl set-wallpaper \"$PIC\" || exit 10\n"
                                      "gsettings get org.mate.background picture-filename\n"
                                      "gsettings get org.mate.background picture-options\n");
    ASSERT_EQ(mate.status, 0) << mate.err;
    EXPECT_EQ(mate.out.rfind("'" + home.Path() + "My Pictures/shot-", 0), 0u) << mate.out;
    EXPECT_NE(mate.out.find("'centered'"), std::string::npos);
    const auto cinnamon =
        Session("cinnamon", "muraltoctl set-wallpaper \"$PIC\" || exit 10\n"
                            "gsettings get org.cinnamon.desktop.background picture-uri\n");
    ASSERT_EQ(cinnamon.status, 0) << cinnamon.err;
    EXPECT_EQ(cinnamon.out.rfind("'file://", 0), 0u) << cinnamon.out;
}

TEST_F(DesktopBackendsTest, MissingSchemaIsAFailureWithItsReason) {
    const auto r = Session("mate", "muraltoctl set-wallpaper \"$PIC\"");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("org.mate.background is not installed"), std::string::npos) << r.err;
}

TEST_F(DesktopBackendsTest, KdeScriptIsEscapedAndCheckedBack) {
    const std::string odd = home / "My Pictures/it's.bmp";
    test::WriteBitmap(odd, 4, 4, 0);
    const std::string withShell = "fake_plasmashell \"$LOG\" $MODE &\n"
                                  "gdbus wait --session --timeout 10 org.kde.plasmashell\n"
                                  "muraltoctl set-wallpaper \"$ODD\"; status=$?\n"
                                  "kill %1; exit $status\n";
    const auto run =
        Session("kde", withShell, {"LOG=" + home / "script.log", "ODD=" + odd, "MODE="});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string script = test::ReadFile(home / "script.log");
    EXPECT_NE(script.find("var uri = 'file://" + home.Path() + "My%20Pictures/it\\'s-"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("d.writeConfig('FillMode', 6);"), std::string::npos);
    EXPECT_NE(script.find("print('image:' + d.readConfig('Image')"), std::string::npos);

    const auto locked = Session("kde", withShell, {"LOG=/dev/null", "ODD=" + odd, "MODE=locked"});
    EXPECT_EQ(locked.status, 1);
    EXPECT_NE(locked.err.find("Widgets are locked"), std::string::npos) << locked.err;
}

TEST_F(DesktopBackendsTest, XfceBackdropsThroughTheRealXfconf) {
    const auto r = Session("xfce", "muraltoctl set-wallpaper \"$PIC\" || exit 10\n"
                                   "xfconf-query -c xfce4-desktop -l -v\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("/backdrop/screen0/monitor0/workspace0/image-style  1"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("/backdrop/screen0/monitor0/workspace0/last-image   " + home.Path() +
                         "My Pictures/shot-"),
              std::string::npos)
        << r.out;
}

TEST_F(DesktopBackendsTest, LxqtRunsItsFileManagerAndReadsItsSettings) {
    Fake("pcmanfm-qt", "echo \"$@\" > \"$XDG_CONFIG_HOME/args\"\n"
                       "mkdir -p \"$XDG_CONFIG_HOME/pcmanfm-qt/lxqt\"\n"
                       "printf '[Desktop]\\nWallpaper=%s\\n' \"$2\" > "
                       "\"$XDG_CONFIG_HOME/pcmanfm-qt/lxqt/settings.conf\"\n");
    const auto r = Session("lxqt", "muraltoctl set-wallpaper \"$PIC\"");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string args = test::ReadFile(home / "config/args");
    EXPECT_EQ(args.rfind("--set-wallpaper " + home.Path() + "My Pictures/shot-", 0), 0u) << args;
    EXPECT_NE(args.find("--wallpaper-mode center"), std::string::npos);

    Fake("pcmanfm-qt", "echo 'cannot connect to the desktop' >&2; exit 1\n");
    const auto failed = Session("lxqt", "muraltoctl set-wallpaper \"$PIC\"");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("cannot connect to the desktop"), std::string::npos) << failed.err;
}

TEST_F(DesktopBackendsTest, SwaybgIsReplacedWithoutLeavingTheOldOne) {
    Fake("swaybg", "echo \"$$ $*\" >> \"$XDG_RUNTIME_DIR/starts\"\nexec sleep 60\n");
    const auto r = Session("sway", "muraltoctl set-wallpaper \"$PIC\" || exit 10\n"
                                   "muraltoctl set-wallpaper \"$PIC\" || exit 11\n");
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream starts(home / "runtime/starts");
    long first = 0, second = 0;
    std::string rest;
    starts >> first;
    std::getline(starts, rest);
    EXPECT_EQ(rest, " -o * -i " + picture + " -m center");
    starts >> second;
    ASSERT_GT(second, 0);
    const auto running = [](long pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string pidText, name, state;
        return stat >> pidText >> name >> state && state != "Z";
    };
    EXPECT_FALSE(running(first));
    EXPECT_TRUE(running(second));
    kill(pid_t(second), SIGTERM);
}

} // namespace
} // namespace muralto
