#include "SkinImages.h"

#include "ProductIdentity.h"

void LoadSkinPngOnce(CGdiPlusBitmapResource& png, UINT id) {
    if (png.m_pBitmap == nullptr)
        (void)png.Load(id, L"PNG", GetResourceInstance()); // a missing image is not drawn
}
