#include "files/Inifile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/files/Tempdir.h"

namespace {

TEST(IniInteger, ReadsDecimalAndHexWithinThirtyTwoBits) {
    struct Case {
        std::string_view text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"12", 12},
        {"-3", -3},
        {"+4", 4},
        {"007", 7},
        {"$10", 16},
        {"0x10", 16},
        {"0X1f", 31},
        {"$ff", 255},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$7FFFFFFF", 2147483647},
        {"-0x80000000", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"$80000000", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"12.5", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"$-1", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"1 2", std::nullopt},
        {"10h", std::nullopt},
        {"$1g", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIniInteger(c.text), c.value) << c.text;
}

constexpr std::string_view Sample =
    "junk before any section\r\n"
    "Orphan=1\r\n"
    "[General]\r\n"
    "; a comment\r\n"
    "  Left = 12  \r\n"
    "\r\n"
    "left=99\r\n"
    "Just text\r\n"
    "Name=  two words \r\n"
    "Empty=\r\n"
    "Bad=12.5\r\n"
    "Hex=$ff\r\n"
    "On=2\r\n"
    "Off=0\r\n"
    "[ Colours ]\r\n"
    "Text=4737096\r\n"
    "[general]\r\n"
    "Top=5\r\n";

TEST(IniFile, ReadsByTheRules) {
    const IniFile ini = IniFile::Parse(Sample);
    struct Case {
        const char* section;
        const char* key;
        std::int32_t value;  // read with fallback -1
        const char* rule;
    };
    const Case cases[] = {
        {"General", "Left", 12, "blanks around the line and the = are ignored"},
        {"GENERAL", "LEFT", 12, "case does not matter; the first occurrence counts"},
        {"Colours", "text", 4737096, "section names are trimmed"},
        {"General", "Bad", -1, "not an integer"},
        {"General", "Hex", 255, "hex with $"},
        {"General", "Top", -1, "only the first section of a name is read"},
        {"General", "Orphan", -1, "lines before the first section are ignored"},
        {"General", "; a comment", -1, "comments are no keys"},
        {"General", "Just text", -1, "a line without = is no key"},
        {"Missing", "Left", -1, "missing section"},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger(c.section, c.key, -1), c.value) << c.rule;

    EXPECT_EQ(ini.ReadString("General", "Name", "x"), "two words");
    EXPECT_EQ(ini.ReadString("General", "Empty", "x"), "");
    EXPECT_EQ(ini.ReadString("General", "Missing", "x"), "x");
    EXPECT_EQ(ini.ReadValue("General", "Missing"), std::nullopt);
    EXPECT_TRUE(ini.ReadBool("General", "On", false));
    EXPECT_FALSE(ini.ReadBool("General", "Off", true));
    EXPECT_TRUE(ini.ReadBool("General", "Name", true));  // not an integer: the default
    EXPECT_FALSE(ini.ReadBool("General", "Name", false));
    EXPECT_TRUE(ini.ReadBool("General", "Missing", true));
}

TEST(IniFile, WriteBackKeepsUnknownSectionsAndKeysInOrder) {
    IniFile ini = IniFile::Parse(Sample);
    ini.WriteInteger("general", "LEFT", 326);                 // in place, spelled as written
    ini.WriteBool("General", "Simulate", true);               // new key: end of its section
    ini.WriteString("Settings", "DataDir", "/home/u/data/");  // new section: after the others
    EXPECT_EQ(ini.Text(),
              "[General]\r\n"
              "LEFT=326\r\n"
              "left=99\r\n"
              "Just text\r\n"
              "Name=two words\r\n"
              "Empty=\r\n"
              "Bad=12.5\r\n"
              "Hex=$ff\r\n"
              "On=2\r\n"
              "Off=0\r\n"
              "Simulate=1\r\n"
              "\r\n"
              "[Colours]\r\n"
              "Text=4737096\r\n"
              "\r\n"
              "[general]\r\n"
              "Top=5\r\n"
              "\r\n"
              "[Settings]\r\n"
              "DataDir=/home/u/data/\r\n"
              "\r\n");
}

TEST(IniFile, KeptCommentsStayWhereTheyWere) {
    const std::string_view text =
        "; Tavolin settings\n"
        "[General]\n"
        "; window\n"
        "Left = 12\n"
        "\n"
        "[Colours]\n"
        "# not a comment, a line without a key\n"
        "Text=1\n";
    IniFile ini = IniFile::Parse(text, {.keepComments = true});
    EXPECT_EQ(ini.ReadInteger("General", "Left", 0), 12);
    ini.WriteInteger("General", "Top", 184);
    ini.WriteInteger("Colours", "Text", 2);
    ini.WriteInteger("Settings", "Sample", 100);
    EXPECT_EQ(ini.Text(),
              "; Tavolin settings\r\n"
              "[General]\r\n"
              "; window\r\n"
              "Left = 12\r\n"
              "Top=184\r\n"
              "\r\n"
              "[Colours]\r\n"
              "# not a comment, a line without a key\r\n"
              "Text=2\r\n"
              "\r\n"
              "[Settings]\r\n"
              "Sample=100\r\n");
}

TEST(IniFile, AByteOrderMarkIsSkippedAndWrittenBack) {
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        IniFile ini =
            IniFile::Parse("\xEF\xBB\xBF[General]\r\nLeft=12\r\n", {.keepComments = keep});
        EXPECT_EQ(ini.ReadInteger("General", "Left", 0), 12) << "the first section counts";
        ini.WriteInteger("General", "Top", 5);
        EXPECT_EQ(ini.Text(), keep ? "\xEF\xBB\xBF[General]\r\nLeft=12\r\nTop=5\r\n"
                                   : "\xEF\xBB\xBF[General]\r\nLeft=12\r\nTop=5\r\n\r\n");
    }
    // Only at the very start is it a mark.
    const IniFile inside = IniFile::Parse("[A]\r\n\xEF\xBB\xBFx=1\r\n");
    EXPECT_EQ(inside.ReadInteger("A", "x", 0), 0);
}

TEST(IniFile, FreshFileHasOneEmptyLineAfterEachSection) {
    for (bool keep : {false, true}) {
        IniFile ini({.keepComments = keep});
        ini.WriteInteger("A", "x", 1);
        ini.WriteInteger("B", "y", -2);
        EXPECT_EQ(ini.Text(), keep ? "[A]\r\nx=1\r\n\r\n[B]\r\ny=-2\r\n"
                                   : "[A]\r\nx=1\r\n\r\n[B]\r\ny=-2\r\n\r\n");
    }
}

TEST(IniFile, RefusesWhatALineCannotHold) {
    IniFile ini;
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"A", "k", "two\nlines"}, {"A", "k=v", "1"}, {"A]", "k", "1"},
        {"", "k", "1"},           {"A", "", "1"},    {"A", ";k", "1"},
    };
    for (const auto& c : cases) EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), IniError);
    EXPECT_EQ(ini.Text(), "");
}

TEST(IniFile, LoadAndSaveThroughTheDisk) {
    TempDir dir;
    EXPECT_EQ(IniFile::Load(dir / "missing.ini").Text(), "");
    EXPECT_EQ(IniFile::Load(dir / "missing" / "a.ini").Text(), "");

    IniFile ini = IniFile::Load(dir / "a.ini");
    ini.WriteInteger("General", "Port", 3);
    ini.Save(dir / "a.ini");
    EXPECT_EQ(ReadText(dir / "a.ini"), "[General]\r\nPort=3\r\n\r\n");
    EXPECT_EQ(IniFile::Load(dir / "a.ini").ReadInteger("General", "Port", 0), 3);

    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_THROW(IniFile::Load(dir / "folder.ini"), IniError);
}

TEST(IniFile, FailedSaveThrowsAndKeepsTheOldFile) {
    TempDir dir;
    WriteText(dir / "plain", "old");
    std::filesystem::create_directory(dir / "folder.ini");
    IniFile ini;
    ini.WriteInteger("General", "Port", 3);
    for (const char* target : {"plain/a.ini", "folder.ini"}) {
        SCOPED_TRACE(target);
        try {
            ini.Save(dir / target);
            ADD_FAILURE() << "no error";
        } catch (const IniError& e) {
            EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadText(dir / "plain"), "old");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));
    EXPECT_EQ(dir.EntryCount(), 2);
}

}  // namespace
