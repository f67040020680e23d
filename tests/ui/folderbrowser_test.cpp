// The folder chooser's drive of a folder: the longest drive root that holds
// it, a root like "A:/" (the old "a:\") or "/" as well as a mounted volume's.

#include "ui/folderbrowser.h"

#include <gtest/gtest.h>

using ui::FolderBrowser;

TEST(FolderBrowserDrive, LongestRootHoldingTheFolder) {
    const QStringList linux{"/", "/media/pendrive"};
    EXPECT_EQ(FolderBrowser::driveOf("/media/pendrive/mentes", linux), "/media/pendrive");
    EXPECT_EQ(FolderBrowser::driveOf("/media/pendrive", linux), "/media/pendrive");
    EXPECT_EQ(FolderBrowser::driveOf("/media/pendrive2", linux), "/");
    EXPECT_EQ(FolderBrowser::driveOf("/", linux), "/");
}

TEST(FolderBrowserDrive, DriveLetterRoots) {
    const QStringList letters{"A:/", "C:/", "D:/"};
    EXPECT_EQ(FolderBrowser::driveOf("A:/", letters), "A:/");
    EXPECT_EQ(FolderBrowser::driveOf("A:/mentes", letters), "A:/");
    EXPECT_EQ(FolderBrowser::driveOf("D:/KULD/2026", letters), "D:/");
    EXPECT_EQ(FolderBrowser::driveOf("E:/", letters), "");
#ifdef Q_OS_WIN
    // Windows names a folder whatever its letter case: "a:\" is drive A.
    EXPECT_EQ(FolderBrowser::driveOf("a:/", letters), "A:/");
    EXPECT_EQ(FolderBrowser::driveOf("c:/szakapolas/kuld", letters), "C:/");
#else
    EXPECT_EQ(FolderBrowser::driveOf("a:/", letters), "");
#endif
}
