#include <gtest/gtest.h>

#include "core/error_code.h"

TEST(FromSystemError, TranslatesTheWindowsCodes) {
    struct Case {
        uint32_t system;
        ErrorCode code;
    } cases[] = {
        {0, ErrorCode::Ok},           {2, ErrorCode::NotFound},        {3, ErrorCode::NotFound},
        {15, ErrorCode::NotFound},    {5, ErrorCode::AccessDenied},    {19, ErrorCode::AccessDenied},
        {6, ErrorCode::InvalidHandle}, {8, ErrorCode::OutOfMemory},    {14, ErrorCode::OutOfMemory},
        {20, ErrorCode::DeviceGone},  {55, ErrorCode::DeviceGone},     {21, ErrorCode::NotReady},
        {22, ErrorCode::NotSupported}, {50, ErrorCode::NotSupported},  {120, ErrorCode::NotSupported},
        {23, ErrorCode::DataError},   {38, ErrorCode::Incomplete},     {80, ErrorCode::AlreadyExists},
        {183, ErrorCode::AlreadyExists}, {87, ErrorCode::InvalidArgument}, {160, ErrorCode::InvalidArgument},
        {109, ErrorCode::BrokenPipe}, {111, ErrorCode::BufferTooSmall}, {122, ErrorCode::BufferTooSmall},
        {112, ErrorCode::DiskFull},   {314, ErrorCode::DiskFull},      {223, ErrorCode::TooLarge},
        {258, ErrorCode::Timeout},    {313, ErrorCode::Failed},        {1, ErrorCode::Failed},
        {0xFFFFFFFFu, ErrorCode::Failed},
    };
    for (const Case& c : cases) EXPECT_EQ(fromSystemError(c.system), c.code) << c.system;
}

TEST(FromResult, TranslatesComResults) {
    struct Case {
        uint32_t result;
        ErrorCode code;
    } cases[] = {
        {0, ErrorCode::Ok},
        {1, ErrorCode::Ok},
        {0x7FFFFFFF, ErrorCode::Ok},
        {0x80070057, ErrorCode::InvalidArgument},
        {0x800401F3, ErrorCode::InvalidArgument},
        {0x800401F4, ErrorCode::InvalidArgument},
        {0x88890006, ErrorCode::InvalidArgument},
        {0x88890009, ErrorCode::InvalidArgument},
        {0x80004003, ErrorCode::NullPointer},
        {0x8007000E, ErrorCode::OutOfMemory},
        {0x8000000B, ErrorCode::BufferTooSmall},
        {0x80070005, ErrorCode::AccessDenied},
        {0x80004001, ErrorCode::NotSupported},
        {0x80004021, ErrorCode::NotSupported},
        {0x80004002, ErrorCode::NoInterface},
        {0x80070006, ErrorCode::InvalidHandle},
        {0x88890008, ErrorCode::InvalidFormat},
        {0x8000000D, ErrorCode::WrongState},
        {0x8000000E, ErrorCode::WrongState},
        {0x800401F0, ErrorCode::WrongState},
        {0x88890001, ErrorCode::WrongState},
        {0x88890002, ErrorCode::WrongState},
        {0x800401F8, ErrorCode::CannotOpen},
        {0x8000401E, ErrorCode::Timeout},
        {0x8000402A, ErrorCode::Timeout},
        {0x80004004, ErrorCode::Aborted},
        {0x88890003, ErrorCode::Failed},
        {0x88890004, ErrorCode::Failed},
        {0x88890005, ErrorCode::Failed},
        {0x88890007, ErrorCode::Failed},
        {0x80004005, ErrorCode::Failed},
        {0x80000000, ErrorCode::Failed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fromResult(static_cast<int32_t>(c.result)), c.code) << std::hex << c.result;
}
