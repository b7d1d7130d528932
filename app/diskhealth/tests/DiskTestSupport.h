// Simulated disks for the disk health tests, built from description text.
#pragma once

#include <SimDiskApi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

inline SimDiskDescription DescribeDisk(const std::string& text) {
    std::string error;
    std::optional<SimDiskDescription> disk = ParseSimDiskDescription(text, &error);
    EXPECT_TRUE(disk) << error;
    return disk.value_or(SimDiskDescription{});
}

inline void AddDisk(CSimDiskApi& api, uint32_t number, const std::string& text) {
    ASSERT_EQ(api.AddDisk(number, DescribeDisk(text)), static_cast<DWORD>(ERROR_SUCCESS));
}
