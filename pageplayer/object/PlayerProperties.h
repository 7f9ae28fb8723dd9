#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace pageplayer {

// The player's properties as the host last set them. The page player uses
// few of them; the others only keep their values.
struct TPlayerProperties {
  std::wstring movie;
  VARIANT_BOOL playing = VARIANT_TRUE;
  long quality = 1;
  long scaleMode = 0;
  long alignMode = 0;
  long backgroundColor = -1;  // -1: the container's background colour
  VARIANT_BOOL loop = VARIANT_TRUE;
  std::wstring wmode = L"Window";
  std::wstring salign;
  VARIANT_BOOL menu = VARIANT_TRUE;
  std::wstring base;
  std::wstring scale = L"ShowAll";
  VARIANT_BOOL deviceFont = VARIANT_FALSE;
  VARIANT_BOOL embedMovie = VARIANT_FALSE;
  std::wstring bgColor;
  std::wstring quality2 = L"High";
  std::wstring swRemote;
  std::wstring stacking = L"below";
  std::wstring movieVars;
  std::wstring allowScriptAccess = L"sameDomain";
  std::wstring movieData;
  std::wstring allowFullscreen = L"false";
  std::wstring returnValue;  // the last answer the host gave a script call
};

}  // namespace pageplayer
