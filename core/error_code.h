#pragma once
#include <cstdint>

// One program-wide result type: 0 is success, every failure has a fixed number.
// 12, 15 and 28 are not used; new codes are added after the last.
enum class ErrorCode : uint32_t {
    Ok = 0,
    Failed = 1,
    InvalidArgument = 2,
    NullPointer = 3,
    OutOfMemory = 4,
    BufferTooSmall = 5,
    Incomplete = 6,
    BadResponse = 7,
    AccessDenied = 8,
    NotSupported = 9,
    NoInterface = 10,
    InvalidHandle = 11,
    InvalidFormat = 13,
    WrongState = 14,
    NoDevice = 16,
    NotReady = 17,
    DeviceGone = 18,
    CannotOpen = 19,
    NotFound = 20,
    AlreadyExists = 21,
    TooLarge = 22,
    DiskFull = 23,
    BrokenPipe = 24,
    Timeout = 25,
    Aborted = 26,
    DataError = 27,
    TooNew = 29,
    UnsupportedEncoding = 30,  // a sample file whose samples are stored in a way this program does not decode
    TooLong = 31,              // a sample longer than an instrument may hold
};

// Translates a Windows system error code (the value of GetLastError).
ErrorCode fromSystemError(uint32_t systemError);
// Translates a COM result (an HRESULT's bits); every success code is Ok.
ErrorCode fromResult(uint32_t result);

inline bool failed(ErrorCode code) { return code != ErrorCode::Ok; }
