#include "settings/QXReg.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

class QXRegTest : public test::ProgramTest {};

std::string Bytes(size_t n) {
    std::string b;
    for (size_t i = 0; i < n; ++i)
        b += char(i);
    return b;
}

// Every type and each line-breaking case of binary values, against text written by hand.
TEST_F(QXRegTest, ExportIsByteExact) {
    TQXRegistry reg(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto");
    reg.WriteInteger("", "BootCount", 3);
    reg.WriteInteger("Group\\Setting", "Minute", 30);
    reg.WriteBinary("Group\\Setting", "SystemBools", "\x01\x04\x00\x00", 4);
    reg.WriteString("Group\\Setting", "PluginFolder", "C:\\Susie \"new\"");
    reg.WriteBinary("Group\\Setting", "Empty", "", 0);
    const std::string b21 = Bytes(21), b48 = Bytes(48);
    reg.WriteBinary("Group\\Window", "TwentyOne", b21.data(), b21.size());
    reg.WriteBinary("Group\\Window", "ColumnWidth", b48.data(), b48.size());
    SettingsRegistry().WriteValue(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto",
                                  "Expand", ValueType::ExpandString, "left out");
    const std::string expected =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Heliodor\\Muralto]\r\n"
        "\"BootCount\"=dword:00000003\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Heliodor\\Muralto\\Group]\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Heliodor\\Muralto\\Group\\Setting]\r\n"
        "\"Minute\"=dword:0000001E\r\n"
        "\"SystemBools\"=hex:01,04,00,00\r\n"
        "\"PluginFolder\"=\"C:\\\\Susie \\\"new\\\"\"\r\n"
        "\"Empty\"=hex:\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Heliodor\\Muralto\\Group\\Window]\r\n"
        "\"TwentyOne\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
        " \r\n"
        "\"ColumnWidth\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
        "  15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,\\\r\n"
        "  29,2a,2b,2c,2d,2e,2f\r\n"
        "\r\n"
        "\r\n";
    EXPECT_EQ(TQXRegistry::ExportText(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto"),
              expected);
    EXPECT_EQ(TQXRegistry::ExportText(RegistryRoot::CurrentUser, "Software\\Nothing"),
              "REGEDIT4\r\n\r\n\r\n");
}

TEST_F(QXRegTest, ImportRestoresWhatExportWrote) {
    TQXRegistry reg(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto");
    reg.WriteInteger("G\\Setting", "Quality", -5);
    reg.WriteString("G\\Setting", "Font", "ＭＳ Ｐゴシック \\ \"q\"");
    const std::string b48 = Bytes(48);
    reg.WriteBinary("G\\Window", "ColumnWidth", b48.data(), b48.size());
    reg.WriteFloat("G\\Setting", "LastChangeTime", 46000.25);
    reg.WriteBinary("G\\Setting", "Empty", "", 0);
    const std::string text =
        TQXRegistry::ExportText(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto");
    SettingsRegistry().DeleteKey(RegistryRoot::CurrentUser, "Software\\Heliodor");
    TQXRegistry::ImportText(text);
    EXPECT_EQ(TQXRegistry::ExportText(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto"),
              text);
    TQXRegistry back(RegistryRoot::CurrentUser, "Software\\Heliodor\\Muralto");
    EXPECT_EQ(back.ReadInteger("G\\Setting", "Quality", 0), -5);
    EXPECT_DOUBLE_EQ(back.ReadFloat("G\\Setting", "LastChangeTime", 0), 46000.25);
}

TEST_F(QXRegTest, BadImportNamesItsLineAndWritesNothing) {
    const struct {
        const char* text;
        const char* line;
    } cases[] = {
        {"REGEDIT5\r\n", "line 1"},
        {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:12\r\n", "line 4"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"ok\"=\"1\"\r\n\"b\"=hex:0g\r\n", "line 4"},
        {"REGEDIT4\r\n\"v\"=\"before any key\"\r\n", "line 2"},
        {"REGEDIT4\r\n[HKEY_USERS\\A]\r\n", "line 2"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"open\r\n", "line 3"},
        {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"b\"=hex:01,\\\r\n", "line 3"},
    };
    for (const auto& c : cases) {
        try {
            TQXRegistry::ImportText(c.text);
            ADD_FAILURE() << c.text;
        } catch (const ERegistryImportError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.line, 0), 0u) << e.what();
        }
        EXPECT_FALSE(SettingsRegistry().KeyExists(RegistryRoot::CurrentUser, "A")) << c.text;
    }
}

TEST_F(QXRegTest, ReadsOfMissingOrMistypedValuesGiveTheDefault) {
    TQXRegistry reg(RegistryRoot::CurrentUser, "Software\\T");
    EXPECT_EQ(reg.ReadInteger("Nope", "X", 7), 7);
    reg.WriteString("", "Number", "12");
    EXPECT_EQ(reg.ReadInteger("", "Number", 7), 7);
    reg.WriteInteger("", "Text", 3);
    EXPECT_EQ(reg.ReadString("", "Text", "d"), "d");
    reg.WriteBinary("", "Short", "\x01\x02", 2);
    uint32_t field = 0xAABBCCDD;
    EXPECT_EQ(reg.ReadBinary("", "Short", 4, &field), 0); // the wrong size is ignored
    EXPECT_EQ(field, 0xAABBCCDDu);
    EXPECT_DOUBLE_EQ(reg.ReadFloat("", "Short", 1.5), 1.5);
    SettingsRegistry().WriteValue(RegistryRoot::CurrentUser, "Software\\T", "Legacy",
                                  ValueType::String, "\x93\xfa\x96\x7b");
    EXPECT_EQ(reg.ReadString("", "Legacy", ""), "日本");
}

} // namespace
} // namespace muralto
