#include <gtest/gtest.h>

#include "platform/Drives.h"
#include "support/FakePlatform.h"

TEST(Drives, DriveOfAPathIsTheLongestRootHoldingIt)
{
    fakes::FakeDrives drives;
    drives.list = {"/", "/home", "/media/usb"};
    EXPECT_EQ(drives.driveOf("/home/ann/movies"), "/home");
    EXPECT_EQ(drives.driveOf("/home"), "/home");
    EXPECT_EQ(drives.driveOf("/homework"), "/");
    EXPECT_EQ(drives.driveOf("/media/usb/clips"), "/media/usb");
    EXPECT_EQ(drives.driveOf("/usr/share"), "/");
}

TEST(Drives, MountedDrivesAlwaysOfferTheRoot)
{
    platform::MountedDrives drives;
    const QStringList roots = drives.roots();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_FALSE(drives.driveOf(QStringLiteral("/tmp")).isEmpty());
}
