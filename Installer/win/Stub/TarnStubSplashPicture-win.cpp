/** @file
 * The splash picture and the frames drawn from it, with GDI+ (bound lazily).
 */
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>
#include "TarnStubSplash-win.h"
#include "TarnStubSplashGeometry.h"
#include "internal/seam.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

/** The image object: GDI+'s image, null when the picture did not decode (it
 * then reads as 0 × 0 and draws nothing). */
struct SplashImage
{
    GpImage *pGpImage;
};

namespace
{

/** The picture's bytes in the executable's resources, null when there are none. */
const BYTE *findPicture(HMODULE hModule, DWORD *pcbPicture)
{
    HRSRC hRsrc = RT_SEAM(g_StubSeamsSplash, FindResourceW)(hModule, MAKEINTRESOURCEW(STUB_SPLASH_RESOURCE_ID),
                                                            STUB_SPLASH_RESOURCE_TYPE);
    if (!hRsrc)
        return NULL;
    HGLOBAL hGlobal = LoadResource(hModule, hRsrc);
    if (!hGlobal)
        return NULL;
    *pcbPicture = SizeofResource(hModule, hRsrc);
    if (!*pcbPicture)
        return NULL;
    return (const BYTE *)LockResource(hGlobal);
}

} // namespace

SplashImage *stubSplashImageLoad(HMODULE hModule)
{
    DWORD cbPicture = 0;
    const BYTE *pbPicture = findPicture(hModule, &cbPicture);
    if (!pbPicture)
        return NULL;

    /* The resource stays mapped for the process's life; the stream only wraps it,
     * and the decoded image keeps its own reference to the stream. */
    IStream *pStream = SHCreateMemStream(pbPicture, cbPicture);
    SplashImage *pImage = (SplashImage *)GdipAlloc(sizeof(*pImage));
    if (pImage)
    {
        pImage->pGpImage = NULL;
        if (GdipLoadImageFromStream(pStream, &pImage->pGpImage) != Ok)
            pImage->pGpImage = NULL;
    }
    if (pStream)
        pStream->Release();
    return pImage;
}

uint32_t stubSplashImageWidth(SplashImage *pImage)
{
    UINT cx = 0;
    if (pImage && pImage->pGpImage && GdipGetImageWidth(pImage->pGpImage, &cx) != Ok)
        cx = 0;
    return cx;
}

uint32_t stubSplashImageHeight(SplashImage *pImage)
{
    UINT cy = 0;
    if (pImage && pImage->pGpImage && GdipGetImageHeight(pImage->pGpImage, &cy) != Ok)
        cy = 0;
    return cy;
}

void stubSplashImageDelete(SplashImage *pImage)
{
    if (!pImage)
        return;
    if (pImage->pGpImage)
        GdipDisposeImage(pImage->pGpImage);
    GdipFree(pImage);
}

void SplashPaint(SplashScreen *pSplash, HDC hDC)
{
    uint32_t const cx = stubSplashImageWidth(pSplash->pImage);
    uint32_t const cy = stubSplashImageHeight(pSplash->pImage);

    /* Frames are drawn off-screen and copied whole, so the window never shows
     * a half-drawn one. */
    if (!pSplash->hMemDC)
    {
        pSplash->hMemDC = CreateCompatibleDC(hDC);
        pSplash->hBitmap = CreateCompatibleBitmap(hDC, (int)cx, (int)cy);
        SelectObject(pSplash->hMemDC, pSplash->hBitmap);
    }

    GpGraphics *pGraphics = NULL;
    if (GdipCreateFromHDC(pSplash->hMemDC, &pGraphics) != Ok)
        return;
    GdipGraphicsClear(pGraphics, STUB_SPLASH_CLEAR_ARGB);
    if (pSplash->pImage && pSplash->pImage->pGpImage)
        GdipDrawImageRectI(pGraphics, pSplash->pImage->pGpImage, 0, 0, (INT)cx, (INT)cy);

    SplashPoint const Dot = stubSplashDotBox(pSplash->uAngle, cx, cy);
    GpSolidFill *pBrush = NULL;
    if (GdipCreateSolidFill(STUB_SPLASH_DOT_ARGB, &pBrush) == Ok)
        GdipFillEllipseI(pGraphics, pBrush, Dot.x, Dot.y, STUB_SPLASH_DOT_SIZE, STUB_SPLASH_DOT_SIZE);

    BitBlt(hDC, 0, 0, (int)cx, (int)cy, pSplash->hMemDC, 0, 0, SRCCOPY);

    if (pBrush)
        GdipDeleteBrush(pBrush);
    GdipDeleteGraphics(pGraphics);
}
