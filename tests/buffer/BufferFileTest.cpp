#include "buffer/DataFiles.h"
#include "buffer/MWBuf.h"
#include "buffer/StmList.h"

#include "TestSupport.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace muralto {
namespace {

using test::Fixture;
using test::ReadFile;
using test::WriteFile;

const std::string kA = "/pics/a.bmp";
const std::string kJapanese = "/pics/日本.bmp"; // stored as Shift-JIS in the fixtures

class BufferFileTest : public test::ProgramTest {
protected:
    std::string BufferPath() const { return Setting().DataFolder() + kBufferFileName; }
    void Install(const std::string& fixture) {
        std::filesystem::create_directories(Setting().DataFolder());
        std::filesystem::copy_file(Fixture("buffer/" + fixture), BufferPath(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    RecordingPrompt& Prompts() { return static_cast<RecordingPrompt&>(*Platform().prompt); }
};

TEST_F(BufferFileTest, EmptyWallpaperBufferIsSixtyFourBytes) {
    TFileBuffer buffer;
    TMemoryStream out;
    buffer.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), ReadFile(Fixture("buffer/wallpaper-empty.mbf")));
}

// The current format and both older ones hold the same two files with the same attributes.
TEST_F(BufferFileTest, EveryVersionReadsTheSameBuffer) {
    const struct {
        const char* fixture;
        const char* message; // the version named in the conversion notice, or none
    } cases[] = {
        {"buffers-current-two-files.mwf", nullptr},
        {"buffers-v0100-two-files.mwf", "Version 2.0 Beta 1の物です。"},
        {"buffers-v0101-two-files.mwf", "Version 2.0 Beta 1.5の物です。"},
        {"buffers-seven-streams.mwf", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Prompts().shown.clear();
        ResetDataFileStates();
        Install(c.fixture);
        EXPECT_TRUE(LoadData().empty());
        TFileBuffer& buffer = WallpaperBuffer();
        ASSERT_EQ(buffer.Files.Names(), (std::vector<std::string>{kA, kJapanese}));
        EXPECT_EQ(buffer.Remain.Names(), (std::vector<std::string>{kJapanese}));
        const TDataInf& a = *buffer.Data(0);
        EXPECT_EQ(a.Data.ShowStyle, 1);
        EXPECT_EQ(a.Data.ResizeStyle, 2);
        EXPECT_EQ(a.Data.Brightness, -5);
        EXPECT_EQ(a.Data.Contrast, 7);
        EXPECT_EQ(uint32_t{a.Data.TransparentColor}, 0x112233u);
        EXPECT_EQ(a.Data.Flags, 0x05);
        EXPECT_EQ(a.Data.Reserved, 1);
        EXPECT_EQ(a.AnnoDominiPattern, "Date1");
        EXPECT_EQ(a.CalenderPattern, "Cal1");
        EXPECT_EQ(a.DrawFileNamePattern, "Name1");
        EXPECT_EQ(a.EffectPattern, "Eff1");
        EXPECT_EQ(a.WaveFile, "/snd/w.wav");
        EXPECT_EQ(a.TextuerFile, "/tex/t.bmp");
        EXPECT_EQ(buffer.Data(1)->Data.ShowStyle, 3);
        EXPECT_EQ(buffer.Stock.Names(), (std::vector<std::string>{"/stock/s.bmp"}));
        EXPECT_EQ(buffer.StockData(0)->Data.ShowStyle, 2);
        EXPECT_EQ(buffer.CurrentFile, kA);
        EXPECT_EQ(buffer.CurrentData, buffer.Data(0));
        EXPECT_EQ(buffer.Monitoring.SortedFolders(), (std::vector<std::string>{"/Album", "/pics"}));
        EXPECT_EQ(WaveBuffer().Files.Names(), (std::vector<std::string>{"/snd/w.wav"}));
        EXPECT_EQ(TextuerBuffer().Files.Names(), (std::vector<std::string>{"/tex/t.bmp"}));
        if (c.message) {
            ASSERT_EQ(Prompts().shown.size(), 1u);
            EXPECT_NE(Prompts().shown[0].text.find(c.message), std::string::npos);
            EXPECT_EQ(Prompts().shown[0].title, "Muralto");
        } else {
            EXPECT_TRUE(Prompts().shown.empty());
        }
    }
}

TEST_F(BufferFileTest, CurrentFileNoLongerRegisteredKeepsItsName) {
    Install("buffers-current-file-gone.mwf");
    LoadData();
    EXPECT_EQ(WallpaperBuffer().CurrentFile, "/pics/gone.bmp");
    EXPECT_EQ(WallpaperBuffer().CurrentData, nullptr);
}

TEST_F(BufferFileTest, OldestSoundAndTextureContainersHaveNoFolders) {
    Install("buffers-oldest-sound-texture.mwf");
    LoadData();
    EXPECT_EQ(WaveBuffer().Files.Names(), (std::vector<std::string>{"/snd/x.wav"}));
    EXPECT_EQ(WaveBuffer().FolderCount(), 0);
    EXPECT_EQ(TextuerBuffer().Files.Names(),
              (std::vector<std::string>{"/tex/y.bmp", "/tex/z.bmp"}));
    EXPECT_EQ(TextuerBuffer().Remain.Names(), (std::vector<std::string>{"/tex/z.bmp"}));
}

TEST_F(BufferFileTest, SaveThenLoadGivesTheSameBuffers) {
    Install("buffers-current-two-files.mwf");
    LoadData();
    SaveData();
    const std::string saved = ReadFile(BufferPath());
    ResetDataFileStates();
    LoadData();
    SaveData();
    EXPECT_EQ(ReadFile(BufferPath()), saved);
    EXPECT_EQ(WallpaperBuffer().Files.Names(), (std::vector<std::string>{kA, kJapanese}));
}

TEST_F(BufferFileTest, ImportAddsFoldersAndExportRoundTrips) {
    TFileBuffer& buffer = WallpaperBuffer();
    buffer.AddFolder("/Earlier");
    buffer.AddFileEx("/old/replaced.bmp", 0, true, false);
    TStreamList outer;
    outer.LoadFromFile(Fixture("buffer/buffers-current-two-files.mwf"));
    TMemoryStream exported(outer.Streams(0).Bytes());
    buffer.LoadFromStream(exported);
    EXPECT_EQ(buffer.IndexOf("/old/replaced.bmp"), -1);
    EXPECT_EQ(buffer.Monitoring.SortedFolders(),
              (std::vector<std::string>{"/Album", "/Earlier", "/pics"}));

    TMemoryStream again;
    buffer.SaveToStream(again);
    TStreamList before, after;
    TMemoryStream original(outer.Streams(0).Bytes());
    before.LoadFromStream(original);
    again.Seek(0);
    after.LoadFromStream(again);
    ASSERT_EQ(after.Count(), 8);
    for (int i : {0, 4, 5, 6, 7}) // streams 1 and 2 hold names, written back as UTF-8
        EXPECT_EQ(after.Streams(i).Bytes(), before.Streams(i).Bytes()) << "stream " << i;
    EXPECT_EQ(after.Streams(3).Bytes(), "/Album\r\n/Earlier\r\n/pics\r\n");
}

// Each kind of damage is reported, leaves what was loaded before, and the file is kept.
TEST_F(BufferFileTest, DamagedFilesAreReportedAndKeptAside) {
    for (const char* fixture :
         {"damaged-truncated.mwf", "damaged-stream-count.mwf", "damaged-entry-size.mwf",
          "damaged-name-length.mwf", "damaged-current-file-length.mwf", "damaged-records-short.mwf",
          "damaged-unknown-version.mwf", "damaged-two-streams.mwf", "not-a-container.mwf"}) {
        SCOPED_TRACE(fixture);
        ResetDataFileStates();
        Prompts().shown.clear();
        Install(fixture);
        const std::string original = ReadFile(BufferPath());
        const std::vector<std::string> errors = LoadData();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find(BufferPath()), std::string::npos);
        ASSERT_EQ(Prompts().shown.size(), 1u);
        EXPECT_EQ(Prompts().shown[0].kind, "error");
        EXPECT_EQ(DataFileState(kBufferFileName), TDataFileState::Failed);

        WallpaperBuffer().AddFileEx("/new/after.bmp", 0, true, false);
        SaveData();
        EXPECT_EQ(ReadFile(BufferPath() + ".damaged"), original);
        std::filesystem::remove(BufferPath() + ".damaged");
        ResetDataFileStates();
        EXPECT_TRUE(LoadData().empty());
        EXPECT_GE(WallpaperBuffer().IndexOf("/new/after.bmp"), 0);
    }
}

TEST_F(BufferFileTest, FailedImportKeepsThePreviousContent) {
    TFileBuffer& buffer = WallpaperBuffer();
    buffer.AddFileEx("/keep/me.bmp", 2, true, false);
    EXPECT_ANY_THROW(buffer.LoadFromFile(Fixture("buffer/damaged-unknown-version.mwf")));
    EXPECT_ANY_THROW(buffer.LoadFromFile(Fixture("buffer/not-a-container.mwf")));
    ASSERT_EQ(buffer.Count(), 1);
    EXPECT_EQ(buffer.Data(0)->Data.ShowStyle, 2);
}

TEST_F(BufferFileTest, NeverLoadedFileIsNotOverwritten) {
    Install("buffers-current-two-files.mwf");
    EXPECT_ANY_THROW(SaveData());
    EXPECT_EQ(ReadFile(BufferPath()), ReadFile(Fixture("buffer/buffers-current-two-files.mwf")));
}

TEST_F(BufferFileTest, InterruptedSaveLeavesThePreviousFile) {
    Install("buffers-current-two-files.mwf");
    LoadData();
    for (int i = 0; i < 2000; ++i)
        WallpaperBuffer().AddFileEx("/many/file" + std::to_string(i) + ".bmp", 0, true, false);
    const auto writeUnderLimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveData();
        } catch (const std::exception&) {
            std::_Exit(3);
        }
        std::_Exit(0);
    };
    EXPECT_EXIT(writeUnderLimit(), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ReadFile(BufferPath()), ReadFile(Fixture("buffer/buffers-current-two-files.mwf")));
}

TEST_F(BufferFileTest, NamesInAnotherEncodingSurviveWhenTheyAreFiles) {
    const std::string latin1 = home / "caf\xE9.bmp"; // not UTF-8, and a file here
    test::WriteFile(latin1, "x");
    LoadData();
    WallpaperBuffer().SetMask("*.*");
    WallpaperBuffer().AddFileEx(latin1, 0, true, false);
    SaveData();
    ResetDataFileStates();
    LoadData();
    EXPECT_GE(WallpaperBuffer().IndexOf(latin1), 0);
}

TEST_F(BufferFileTest, NoSaveWritesNothing) {
    Setting().NoSave = true;
    LoadData();
    WallpaperBuffer().AddFileEx("/p/a.bmp", 0, true, false);
    SaveData();
    EXPECT_FALSE(std::filesystem::exists(BufferPath()));
}

} // namespace
} // namespace muralto
