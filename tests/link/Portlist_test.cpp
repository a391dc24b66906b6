#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/Portlist.h"
#include "support/Tempfolder.h"

namespace fs = std::filesystem;

namespace {

class PortListTest : public ::testing::Test {
  protected:
    void SetUp() override { root = folder.path(); }
    void Tty(const std::string& name, bool device, int type = -1) {
        fs::create_directories(root / name);
        if (device) fs::create_directories(root / name / "device");
        if (type >= 0) std::ofstream(root / name / "type") << type << "\n";
    }
    TempFolder folder;
    fs::path root;
};

TEST_F(PortListTest, listsDevicesWithHardwareSortedIgnoringCase) {
    Tty("tty0", false);
    Tty("ttyS0", true, 4);
    Tty("ttyS1", true, 0);  // legacy entry without a UART
    Tty("ttyUSB10", true);
    Tty("ttyUSB2", true);
    Tty("ttyACM0", true);
    const auto ports = ListPorts({"/tmp/Station", "/dev/ttyUSB2"}, root.string());
    const std::vector<std::string> expected = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB10",
                                               "/dev/ttyUSB2", "/tmp/Station"};
    EXPECT_EQ(ports, expected);
}

TEST_F(PortListTest, fallsBackToTheFirstTwoSerialPorts) {
    Tty("ttyS5", true, 0);
    EXPECT_EQ(ListPorts({}, root.string()), (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1"}));
    EXPECT_EQ(ListPorts({}, (root / "missing").string()),
              (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1"}));
}

TEST(PortListSort, comparesAsTextIgnoringCase) {
    std::vector<std::string> names = {"COM2", "COM10", "com1", "COM1"};
    SortPortNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"com1", "COM1", "COM10", "COM2"}));
}

}  // namespace
