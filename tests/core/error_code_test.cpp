#include <gtest/gtest.h>

#include "core/error_code.h"

// The codes of files, devices and the audio output that a wrong table row would misreport.
TEST(ErrorTranslation, SystemErrorsAndComResults) {
    EXPECT_EQ(fromSystemError(0), ErrorCode::Ok);
    EXPECT_EQ(fromSystemError(2), ErrorCode::NotFound);       // ERROR_FILE_NOT_FOUND
    EXPECT_EQ(fromSystemError(3), ErrorCode::NotFound);       // ERROR_PATH_NOT_FOUND
    EXPECT_EQ(fromSystemError(5), ErrorCode::AccessDenied);   // ERROR_ACCESS_DENIED
    EXPECT_EQ(fromSystemError(80), ErrorCode::AlreadyExists); // ERROR_FILE_EXISTS
    EXPECT_EQ(fromSystemError(112), ErrorCode::DiskFull);     // ERROR_DISK_FULL
    EXPECT_EQ(fromSystemError(121), ErrorCode::Failed);       // unlisted: ERROR_SEM_TIMEOUT
    EXPECT_EQ(fromSystemError(258), ErrorCode::Timeout);      // WAIT_TIMEOUT
    EXPECT_EQ(fromSystemError(0xFFFFFFFFu), ErrorCode::Failed);
    EXPECT_EQ(fromResult(0), ErrorCode::Ok);
    EXPECT_EQ(fromResult(1), ErrorCode::Ok);  // S_FALSE is a success
    EXPECT_EQ(fromResult(0x88890008u), ErrorCode::InvalidFormat);
    EXPECT_EQ(fromResult(0x88890007u), ErrorCode::Failed);
    EXPECT_EQ(fromResult(0x80004002u), ErrorCode::NoInterface);
    EXPECT_EQ(fromResult(0x88890001u), ErrorCode::WrongState);
    EXPECT_EQ(fromResult(0x80070490u), ErrorCode::Failed);  // no default endpoint
}
