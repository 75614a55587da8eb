// The Windows editor's picture of the reference state: written to tests/data/editor-windows.bmp when
// TARN_WRITE_EDITOR_REFERENCE is set, otherwise compared with it outside the texts, so the pixels
// the Linux editor is held to stay the Windows editor's own.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/EditorReference.h"
#include "tests/support/EditorRig.h"
#include "tools/imagefile/ImageFile.h"

using TestSupport::EditorRig;

TEST(EditorPicture, ReferenceStateOutsideTheTexts)
{
    EditorRig rig;
    for (const auto& s : EditorReference::settings)
        rig.host->setParameter(s.index, s.value);
    rig.open();
    rig.editor().startLearn(EditorReference::learningIndex);
    rig.shownPixel(0, 0);  // paints everything waiting

    std::vector<std::uint32_t> shown;
    HDC screen = GetDC(rig.hostWindow);
    for (int y = 0; y < EditorReference::height; ++y)
        for (int x = 0; x < EditorReference::width; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            shown.push_back(static_cast<std::uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)));
        }
    ReleaseDC(rig.hostWindow, screen);

    if (std::getenv("TARN_WRITE_EDITOR_REFERENCE")) {
        ImageFile::Picture picture{EditorReference::width, EditorReference::height, shown};
        ASSERT_TRUE(ImageFile::writeFile(EditorReference::path(), ImageFile::encodeBmp(picture)));
        return;
    }
    const std::vector<std::uint32_t> reference = EditorReference::read();
    ASSERT_EQ(reference.size(), shown.size()) << EditorReference::path();
    const EditorReference::Difference d = EditorReference::compare(shown, reference);
    EXPECT_EQ(d.count, 0) << "first at " << d.x << ", " << d.y;
}
