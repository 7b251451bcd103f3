#include "window/Banner.h"

#include "system/Win32Error.h"

#include <wincodec.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

void Check(HRESULT result, const char* operation)
{
    if (FAILED(result))
        throw Win32Error(operation, "banner picture", static_cast<DWORD>(result));
}

}  // namespace

ScopedBitmap LoadJpegResource(HINSTANCE instance, int resourceId, int width, int height)
{
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    if (!loaded)
        ThrowLastError("Load resource", "banner picture");
    auto* bytes = static_cast<BYTE*>(LockResource(loaded));
    const DWORD size = SizeofResource(instance, resource);

    ComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)),
          "Start the image decoder");
    ComPtr<IWICStream> stream;
    Check(factory->CreateStream(&stream), "Read picture");
    Check(stream->InitializeFromMemory(bytes, size), "Read picture");
    // The picture is known to be a JPEG: its decoder is made directly, without asking every
    // decoder the system registers whether it knows the format.
    ComPtr<IWICBitmapDecoder> decoder;
    Check(CoCreateInstance(CLSID_WICJpegDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&decoder)),
          "Start the image decoder");
    Check(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand), "Decode picture");
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, &frame), "Decode picture");
    ComPtr<IWICBitmapScaler> scaler;
    Check(factory->CreateBitmapScaler(&scaler), "Scale picture");
    Check(scaler->Initialize(frame.Get(), width, height, WICBitmapInterpolationModeFant), "Scale picture");
    ComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(&converter), "Convert picture");
    Check(converter->Initialize(scaler.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          "Convert picture");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as WIC hands out its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap)
        ThrowLastError("Create picture", "banner picture");
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    Check(converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height), static_cast<BYTE*>(pixels)),
          "Convert picture");
    return bitmap;
}
