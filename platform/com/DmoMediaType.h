#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/IUnknown.h"
#include "platform/com/WinTypes.h"

// What flows through one stream of a media object: the kind of media, its
// coding, and a format block whose layout the format type names.
struct DMO_MEDIA_TYPE {
  GUID majortype;
  GUID subtype;
  BOOL bFixedSizeSamples;
  BOOL bTemporalCompression;
  ULONG lSampleSize;
  GUID formattype;
  IUnknown* pUnk;
  ULONG cbFormat;
  BYTE* pbFormat;
};

// A FOURCC as Windows stores it: the first character in the lowest byte.
constexpr DWORD MakeFourCc(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | static_cast<DWORD>(static_cast<BYTE>(b)) << 8 |
         static_cast<DWORD>(static_cast<BYTE>(c)) << 16 | static_cast<DWORD>(static_cast<BYTE>(d)) << 24;
}

// Media types and subtypes named by a FOURCC share one GUID pattern.
constexpr GUID GuidFromFourCc(DWORD fourCc) {
  return {fourCc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

inline constexpr GUID MEDIATYPE_Video = GuidFromFourCc(MakeFourCc('v', 'i', 'd', 's'));
inline constexpr GUID MEDIASUBTYPE_WMV1 = GuidFromFourCc(MakeFourCc('W', 'M', 'V', '1'));
inline constexpr GUID MEDIASUBTYPE_WMV2 = GuidFromFourCc(MakeFourCc('W', 'M', 'V', '2'));
inline constexpr GUID MEDIASUBTYPE_WMV3 = GuidFromFourCc(MakeFourCc('W', 'M', 'V', '3'));
inline constexpr GUID MEDIASUBTYPE_WVC1 = GuidFromFourCc(MakeFourCc('W', 'V', 'C', '1'));
inline constexpr GUID MEDIASUBTYPE_YUY2 = GuidFromFourCc(MakeFourCc('Y', 'U', 'Y', '2'));
// {05589F80-C356-11CE-BF01-00AA0055595A}: the format block is a VIDEOINFOHEADER.
inline constexpr GUID FORMAT_VideoInfo = {0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// Clears the record and gives it a zero-filled format block of formatLength
// bytes. E_POINTER for a null record, E_OUTOFMEMORY when the block cannot be
// had (the record is then left cleared).
HRESULT MoInitMediaType(DMO_MEDIA_TYPE* type, DWORD formatLength);

// Frees the format block and releases the owner object, leaving the record
// without either. Safe on a record that holds neither.
HRESULT MoFreeMediaType(DMO_MEDIA_TYPE* type);
