#pragma once
// Stand-in for the COM run-time of the system the programs were designed
// for: apartment set-up and status codes.
#include <cstdint>

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr bool FAILED(HRESULT status) { return status < 0; }
constexpr bool SUCCEEDED(HRESULT status) { return status >= 0; }

// There is no apartment to set up here: both succeed and do nothing.
HRESULT comInitialize();
void comUninitialize();
