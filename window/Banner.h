#pragma once
// Image1's banner: a JPEG resource decoded by Windows' own imaging component (WIC) and scaled
// to the size the picture control has at the window's DPI.
#include "system/ScopedHandle.h"

// Needs COM initialised on the calling thread. Throws Win32Error when the resource is missing
// or can't be decoded.
ScopedBitmap LoadJpegResource(HINSTANCE instance, int resourceId, int width, int height);
