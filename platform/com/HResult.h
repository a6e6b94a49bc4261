#pragma once

#include <cstdint>

// COM's result code: negative is failure, S_FALSE is a success that did less.
using HRESULT = int32_t;

constexpr HRESULT MakeHResult(uint32_t bits) { return static_cast<HRESULT>(bits); }
constexpr bool SUCCEEDED(HRESULT result) { return result >= 0; }
constexpr bool FAILED(HRESULT result) { return result < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111);

inline constexpr HRESULT DMO_E_INVALIDSTREAMINDEX = MakeHResult(0x80040201);
inline constexpr HRESULT DMO_E_TYPE_NOT_SET = MakeHResult(0x80040203);
inline constexpr HRESULT DMO_E_NOTACCEPTING = MakeHResult(0x80040204);
inline constexpr HRESULT DMO_E_TYPE_NOT_ACCEPTED = MakeHResult(0x80040205);
