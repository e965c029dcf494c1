#include "buffer/StmList.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

using test::Fixture;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Header(int32_t count) {
    std::string h("\xFF\xCE\xD5\x3A"
                  "TStreamListData",
                  19);
    h.append(reinterpret_cast<const char*>(&count), 4);
    return h;
}

std::string Int(int32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

TEST(StmList, SavesTheDocumentedBytes) {
    TStreamList one;
    one.Add();
    TMemoryStream out;
    one.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), Header(1) + Int(0));
    EXPECT_EQ(out.Size(), 27u);

    TStreamList three;
    three.Streams(three.Add()).Write("abcde");
    three.Add();
    three.Streams(three.Add()).Write("xy");
    TMemoryStream saved;
    three.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), Header(3) + Int(5) + "abcde" + Int(0) + Int(2) + "xy");
    EXPECT_EQ(saved.Size(), 42u);

    TStreamList loaded;
    saved.Seek(0);
    loaded.LoadFromStream(saved);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Streams(0).Bytes(), "abcde");
    EXPECT_EQ(loaded.Streams(1).Size(), 0u);
    EXPECT_EQ(loaded.Streams(2).Bytes(), "xy");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(loaded.Streams(i).Position(), 0u);
}

TEST(StmList, WriterAndFileGiveTheSameBytesAsAStreamSave) {
    const std::string expected = Header(3) + Int(5) + "abcde" + Int(0) + Int(2) + "xy";
    TMemoryStream written;
    written.Write("head");
    TStreamListWriter writer(written, 3);
    writer.Next().Write("abcde");
    writer.Next();
    writer.Next().Write("xy");
    EXPECT_THROW(writer.Next(), EStreamListError);
    writer.Finish();
    EXPECT_EQ(written.Bytes(), "head" + expected);

    TMemoryStream shortOne;
    TStreamListWriter tooFew(shortOne, 2);
    tooFew.Next();
    EXPECT_THROW(tooFew.Finish(), EStreamListError);

    TempDir dir;
    TStreamList three;
    three.Streams(three.Add()).Write("abcde");
    three.Add();
    three.Streams(three.Add()).Write("xy");
    three.SaveToFile(dir.Path() + "/list.mwf");
    EXPECT_EQ(ReadFile(dir.Path() + "/list.mwf"), expected);
}

TEST(StmList, RefusesOtherFiles) {
    for (const char* name : {"not-a-container.mwf", "signature-wrong-case.mwf"}) {
        TStreamList list;
        try {
            list.LoadFromFile(Fixture(std::string("buffer/") + name));
            FAIL() << name;
        } catch (const EStreamListError& e) {
            EXPECT_STREQ(e.what(), "未対応のファイル形式です。");
        }
    }
}

TEST(StmList, LyingLengthsAreReadErrorsNotHugeAllocations) {
    for (const char* name : {"damaged-stream-count.mwf", "damaged-entry-size.mwf",
                             "damaged-negative-size.mwf", "damaged-truncated.mwf"}) {
        TStreamList list;
        EXPECT_THROW(list.LoadFromFile(Fixture(std::string("buffer/") + name)), EReadError) << name;
    }
}

TEST(StmList, EmptySaveRaisesAndKeepsThePreviousFile) {
    TempDir dir;
    WriteFile(dir / "x.mwf", "previous");
    TStreamList empty;
    try {
        empty.SaveToFile(dir / "x.mwf");
        FAIL();
    } catch (const EStreamListError& e) {
        EXPECT_STREQ(e.what(), "保存するストリームがありません。");
    }
    EXPECT_EQ(ReadFile(dir / "x.mwf"), "previous");
}

TEST(StmList, AbortFromProgressStopsSaveAndLoad) {
    TempDir dir;
    TStreamList list;
    for (const char* s : {"a", "bb", "ccc"})
        list.Streams(list.Add()).Write(s);
    list.SaveToFile(dir / "full.mwf");
    const std::string full = ReadFile(dir / "full.mwf");

    int ends = 0;
    list.OnEnd = [&](TStreamList&) { ++ends; };
    list.OnProgress = [](TStreamList&, TMemoryStream&, int index, int, size_t, bool& abort) {
        abort = index == 1;
    };
    list.Streams(0).Write("changed");
    list.SaveToFile(dir / "full.mwf"); // stopped: no error, the file as it was
    EXPECT_EQ(ReadFile(dir / "full.mwf"), full);
    EXPECT_EQ(ends, 1);

    TStreamList loaded;
    std::vector<int> reported;
    loaded.OnProgress = [&](TStreamList&, TMemoryStream&, int index, int percent, size_t,
                            bool& abort) {
        reported.push_back(percent);
        abort = index == 1;
    };
    loaded.LoadFromFile(dir / "full.mwf");
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Streams(0).Bytes(), "a");
    EXPECT_EQ(loaded.Streams(1).Bytes(), "bb");
    EXPECT_EQ(loaded.Streams(2).Size(), 0u);
    EXPECT_EQ(reported, (std::vector<int>{33, 67}));
}

TEST(StmList, ProgressPercentRoundsHalvesToEven) {
    EXPECT_EQ(ProgressPercent(0, 8), 12); // 12.5
    EXPECT_EQ(ProgressPercent(2, 8), 38); // 37.5
    EXPECT_EQ(ProgressPercent(0, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 100);
}

TEST(StmList, ReferencedStreamsAreSharedOwnedOnesCopied) {
    TMemoryStream outside;
    outside.Write("shared");
    auto first = std::make_unique<TStreamList>();
    first->Add(&outside);
    first->Streams(first->Add()).Write("own");
    TStreamList second;
    second.AddStreams(first.get());
    ASSERT_EQ(second.Count(), 2);
    EXPECT_EQ(&second.Streams(0), &outside);
    EXPECT_NE(&second.Streams(1), &first->Streams(1));
    first.reset();
    second.Streams(0).Write("!");
    EXPECT_EQ(outside.Bytes(), "shared!");
    EXPECT_EQ(second.Streams(1).Bytes(), "own");

    int changes = 0;
    second.OnChange = [&](TStreamList&) { ++changes; };
    TMemoryStream stranger;
    EXPECT_EQ(second.Remove(&stranger), -1);
    EXPECT_EQ(changes, 0);
    EXPECT_THROW(second.AddStreams(nullptr), EStreamListError);
}

} // namespace
} // namespace muralto
