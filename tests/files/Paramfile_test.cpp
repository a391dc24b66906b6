#include "files/Paramfile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/files/Tempdir.h"

namespace {

/// Every value of the table away from its default.
PanelParams SomePanel() {
    PanelParams p;
    p.HKp = 10;
    p.HKi = 2;
    p.HKd = 30;
    p.Mode = 1;
    p.Plim = 55.5;
    p.Comp = 3;
    p.FKp = 40;
    p.FKi = 5;
    p.FKd = 255;
    return p;
}

HeaterParams SomeCached() {
    HeaterParams h;
    h.Mode = 1;
    h.Delay = -120;
    h.Kp = 131;
    h.Ki = 21;
    h.Error = 199;
    h.Plim = 555;
    h.Comp = 3;
    h.Shift = -15;
    h.Gain = 1010;
    h.Tcjn = 250;
    h.LastPreset = 7;
    return h;
}

constexpr std::string_view SomeFile =
    "[Heater]\r\n"
    "Kp=10\r\n"
    "Ki=2\r\n"
    "Kd=30\r\n"
    "Mode=1\r\n"
    "Delay=-120\r\n"
    "PllKp=131\r\n"
    "PllKi=21\r\n"
    "PllError=199\r\n"
    "Plim=555\r\n"
    "Comp=3\r\n"
    "\r\n"
    "[TC]\r\n"
    "Shift=-15\r\n"
    "Gain=1010\r\n"
    "Tcjn=250\r\n"
    "\r\n"
    "[Fan]\r\n"
    "Kp=40\r\n"
    "Ki=5\r\n"
    "Kd=255\r\n"
    "\r\n";

/// The cached copy after loading the defaults over `cached`: the fields no file holds stay.
HeaterParams WithFileDefaults(HeaterParams cached) {
    cached.Delay = 0;
    cached.Kp = 130;
    cached.Ki = 20;
    cached.Error = 200;
    cached.Shift = 0;
    cached.Gain = 1000;
    cached.Tcjn = 380;
    return cached;
}

TEST(ParamFile, FreshFileHasTheExactLayout) {
    TempDir dir;
    SaveParamFile(dir / "Params1.par", SomePanel(), SomeCached());
    EXPECT_EQ(ReadText(dir / "Params1.par"), SomeFile);
}

TEST(ParamFile, ReadsBackWhatItSaved) {
    TempDir dir;
    SaveParamFile(dir / "a.par", SomePanel(), SomeCached());
    HeaterParams start;  // the fields no file holds come from here
    start.Mode = 0;
    start.Plim = 1;
    start.Comp = 2;
    start.LastPreset = 4;
    const ParamSet loaded = LoadParamFile(dir / "a.par", start);
    EXPECT_EQ(loaded.panel, SomePanel());
    HeaterParams expected = SomeCached();
    expected.Mode = 0;
    expected.Plim = 1;
    expected.Comp = 2;
    expected.LastPreset = 4;
    EXPECT_EQ(loaded.cached, expected);
}

TEST(ParamFile, MissingFileGivesEveryDefault) {
    TempDir dir;
    const ParamSet loaded = LoadParamFile(dir / "missing.par", SomeCached());
    EXPECT_EQ(loaded.panel, PanelParams{});
    EXPECT_EQ(loaded.cached, WithFileDefaults(SomeCached()));
}

TEST(ParamFile, EachValueFallsBackAlone) {
    struct Case {
        const char* name;
        std::string_view text;
        std::int32_t gain;
        double hkp;
        int mode;
    };
    const Case cases[] = {
        {"only TC.Gain", "[TC]\nGain=1250\n", 1250, 0, 0},
        {"blanks and case", "[tc]\n  gain = 1250 \n[HEATER]\nKP=7\n", 1250, 7, 0},
        {"not an integer", "[TC]\nGain=12.5\n[Heater]\nKp=seven\n", 1000, 0, 0},
        {"hex", "[TC]\nGain=0x10\n[Heater]\nKp=$10\n", 16, 16, 0},
        {"first occurrence", "[TC]\nGain=1\nGain=2\n", 1, 0, 0},
        {"mode in range", "[Heater]\nMode=1\n", 1000, 0, 1},
        {"mode beyond the list", "[Heater]\nMode=2\n", 1000, 0, 0},
        {"negative mode", "[Heater]\nMode=-1\n", 1000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParamSet set = ReadParams(IniFile::Parse(c.text), HeaterParams{});
        EXPECT_EQ(set.cached.Gain, c.gain);
        EXPECT_EQ(set.panel.HKp, c.hkp);
        EXPECT_EQ(set.panel.Mode, c.mode);
        EXPECT_EQ(set.cached.Kp, 130);
        EXPECT_EQ(set.cached.Tcjn, 380);
    }
}

TEST(ParamFile, PowerLimitMovesInTenths) {
    struct Case {
        double shown;
        std::int32_t wire;
    };
    const Case cases[] = {{55.5, 555}, {4.1, 41}, {4.17, 42}, {4.35, 44}, {100, 1000}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        PanelParams panel;
        panel.Plim = c.shown;
        IniFile ini;
        StoreParams(ini, panel, HeaterParams{});
        EXPECT_EQ(ini.ReadInteger("Heater", "Plim", -1), c.wire);
        EXPECT_DOUBLE_EQ(ReadParams(ini, HeaterParams{}).panel.Plim, c.wire / 10.0);
    }
}

TEST(ParamFile, GainsAreRoundedHalvesAwayFromZero) {
    PanelParams panel;
    panel.HKp = 2.5;
    panel.HKi = 2.4;
    panel.FKd = 254.5;
    IniFile ini;
    StoreParams(ini, panel, HeaterParams{});
    EXPECT_EQ(ini.ReadInteger("Heater", "Kp", -1), 3);
    EXPECT_EQ(ini.ReadInteger("Heater", "Ki", -1), 2);
    EXPECT_EQ(ini.ReadInteger("Fan", "Kd", -1), 255);
}

TEST(ParamFile, SavingOverAFileKeepsItsOtherSections) {
    TempDir dir;
    WriteText(dir / "a.par",
              "; tuned for the big tip\r\n"
              "[Extra]\r\n"
              "Note = keep me\r\n"
              "\r\n"
              "[heater]\r\n"
              "Custom=5\r\n"
              "KP=99\r\n"
              "[TC]\r\n"
              "Gain = 1\r\n");
    SaveParamFile(dir / "a.par", SomePanel(), SomeCached());
    EXPECT_EQ(ReadText(dir / "a.par"),
              "[Extra]\r\n"
              "Note=keep me\r\n"
              "\r\n"
              "[heater]\r\n"
              "Custom=5\r\n"
              "Kp=10\r\n"
              "Ki=2\r\n"
              "Kd=30\r\n"
              "Mode=1\r\n"
              "Delay=-120\r\n"
              "PllKp=131\r\n"
              "PllKi=21\r\n"
              "PllError=199\r\n"
              "Plim=555\r\n"
              "Comp=3\r\n"
              "\r\n"
              "[TC]\r\n"
              "Gain=1010\r\n"
              "Shift=-15\r\n"
              "Tcjn=250\r\n"
              "\r\n"
              "[Fan]\r\n"
              "Kp=40\r\n"
              "Ki=5\r\n"
              "Kd=255\r\n"
              "\r\n");
}

TEST(ParamFile, UnreadableFileIsAnErrorAndNothingIsWritten) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.par");
    EXPECT_THROW(LoadParamFile(dir / "folder.par", HeaterParams{}), IniError);
    EXPECT_THROW(SaveParamFile(dir / "folder.par", SomePanel(), SomeCached()), IniError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.par"));
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST(ParamFile, UnwritableFolderIsAnError) {
    TempDir dir;
    WriteText(dir / "plain", "old");
    EXPECT_THROW(SaveParamFile(dir / "plain" / "a.par", SomePanel(), SomeCached()), IniError);
    EXPECT_EQ(ReadText(dir / "plain"), "old");
}

}  // namespace
