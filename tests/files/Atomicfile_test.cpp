#include "files/Atomicfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "tests/files/Tempdir.h"

namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesTheFileAndKeepsItsPermissions) {
    TempDir dir;
    WriteText(dir / "a.txt", "old contents, longer than the new");
    fs::permissions(dir / "a.txt",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomic(dir / "a.txt", "new");
    EXPECT_EQ(ReadText(dir / "a.txt"), "new");
    EXPECT_EQ(fs::status(dir / "a.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST(AtomicFile, WritesThroughASymbolicLink) {
    TempDir dir;
    fs::create_directory(dir / "real");
    WriteText(dir / "real" / "a.txt", "old");
    fs::create_symlink("real/a.txt", dir / "link.txt");
    WriteFileAtomic(dir / "link.txt", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadText(dir / "real" / "a.txt"), "new");
}

TEST(AtomicFile, refusesALinkAnotherUserPlantedInASharedFolder) {
    constexpr uid_t Stranger = 4242;  // neither this process nor the folder's owner
    struct Case {
        const char* name;
        fs::perms folder;
        bool strangersLink;
        bool followed;
    };
    const Case cases[] = {
        {"a stranger's link in a sticky folder everyone writes", fs::perms(01777), true, false},
        {"one's own link there", fs::perms(01777), false, true},
        {"a stranger's link in a folder that is not sticky", fs::perms(0777), true, true},
        {"a stranger's link in a sticky folder only its owner writes", fs::perms(01755), true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteText(dir / "real.txt", "old");
        fs::create_directory(dir / "shared");
        fs::create_symlink(dir / "real.txt", dir / "shared" / "a.txt");
        if (c.strangersLink && ::lchown((dir / "shared" / "a.txt").c_str(), Stranger, -1) != 0)
            GTEST_SKIP() << "giving a link to another user needs root";
        fs::permissions(dir / "shared", c.folder);
        try {
            WriteFileAtomic(dir / "shared" / "a.txt", "new");
            EXPECT_TRUE(c.followed) << "saved through the link";
        } catch (const AtomicFileError& e) {
            EXPECT_FALSE(c.followed) << e.what();
            EXPECT_NE(std::string(e.what()).find("symbolic link"), std::string::npos) << e.what();
        }
        EXPECT_EQ(ReadText(dir / "real.txt"), c.followed ? "new" : "old");
        EXPECT_TRUE(fs::is_symlink(dir / "shared" / "a.txt"));
    }
}

TEST(AtomicFile, UncommittedFileLeavesNothingBehind) {
    TempDir dir;
    WriteText(dir / "a.txt", "old");
    {
        AtomicFile file(dir / "a.txt");
        file.Write("half of it");
        EXPECT_EQ(dir.EntryCount(), 2);
    }
    EXPECT_EQ(ReadText(dir / "a.txt"), "old");
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST(AtomicFile, FailureNamesTheFileAndTheReason) {
    TempDir dir;
    WriteText(dir / "plain", "x");
    try {
        WriteFileAtomic(dir / "plain" / "a.txt", "new");
        FAIL() << "no error";
    } catch (const AtomicFileError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find((dir / "plain" / "a.txt").string()), std::string::npos);
        EXPECT_NE(message.find("Not a directory"), std::string::npos) << message;
        // The reason alone, for a line below a message that already says the save failed.
        EXPECT_EQ(e.reason(), (dir / "plain" / "a.txt").string() +
                                  ": cannot create a file in the folder (Not a directory)");
        EXPECT_EQ(message, "Unable to save " + e.reason());
    }
}

TEST(ReadWholeFile, ReadsEverythingOrTellsWhyNot) {
    TempDir dir;
    std::string big(200000, 'x');
    big += "end";
    WriteText(dir / "big", big);
    int error = 0;
    EXPECT_EQ(ReadWholeFile(dir / "big", error), big);
    EXPECT_EQ(ReadWholeFile(dir / "missing", error), std::nullopt);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(ReadWholeFile(dir.path(), error), std::nullopt);
    EXPECT_EQ(error, EISDIR);
}

}  // namespace
