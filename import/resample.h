#pragma once
#include <cstdint>

#include "core/error_code.h"

// Converts `sourceCount` samples at `sourceRate` into exactly
// `destinationCount` samples at `destinationRate` with a Blackman-windowed
// sinc filter, polyphase. Positions outside the source contribute nothing, so
// the ends fade in and out over the filter's reach.
ErrorCode resample(const float* source, uint32_t sourceCount, uint32_t sourceRate, float* destination,
                   uint32_t destinationCount, uint32_t destinationRate);
