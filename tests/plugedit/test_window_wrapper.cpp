// The window wrapper against the real window system: painting only when dirty, the back buffer,
// deletion with the window, the parent's background under a child.
#include <gtest/gtest.h>

#include "tests/support/EditorRig.h"
#include "winwrap/WinControl.h"

using namespace TestSupport;

namespace {

struct Counting : WinWrap::WinControl {
    Counting(HWND parent, int x, int y, COLORREF fill) : WinControl(parent, x, y, 20, 10, WS_VISIBLE), fill(fill) {}
    ~Counting() override { ++deleted; }
    void paint(HWND, HDC dc) override
    {
        ++paints;
        if (copyBackground)
            copyParentBackground(dc);
        else {
            RECT r{0, 0, 20, 10};
            HBRUSH brush = CreateSolidBrush(fill);
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
    }
    COLORREF fill;
    bool copyBackground = false;
    int paints = 0;
    static int deleted;
};
int Counting::deleted = 0;

void paintNow(HWND window)
{
    UpdateWindow(window);
    pumpMessages();
}

}  // namespace

TEST(WindowWrapper, PaintsOnlyWhenDirtyAndCopiesFromItsBuffer)
{
    HWND parent = createHostWindow();
    auto* c = new Counting(parent, 5, 5, RGB(10, 200, 30));
    ASSERT_TRUE(c->hwnd);
    paintNow(c->hwnd);
    EXPECT_EQ(c->paints, 1);
    EXPECT_EQ(GetPixel(c->bufferDC, 3, 3), RGB(10, 200, 30));
    InvalidateRect(c->hwnd, nullptr, FALSE);  // uncovered: the buffer is copied again, not redrawn
    paintNow(c->hwnd);
    EXPECT_EQ(c->paints, 1);
    c->redraw();
    paintNow(c->hwnd);
    EXPECT_EQ(c->paints, 2);

    // WM_PAINT without an update region: no BeginPaint, no paint, and the control stays dirty.
    c->dirty = true;
    ValidateRect(c->hwnd, nullptr);
    SendMessageA(c->hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(c->paints, 2);
    EXPECT_TRUE(c->dirty);

    Counting::deleted = 0;
    DestroyWindow(parent);
    EXPECT_EQ(Counting::deleted, 1);
    EXPECT_NE(WinWrap::WinControl::windowClass(), 0);  // the class stays registered
}

TEST(WindowWrapper, ChildCopiesTheParentsBackBufferOnceItExists)
{
    HWND host = createHostWindow();
    auto* parent = new Counting(host, 0, 0, RGB(200, 20, 20));
    SetWindowPos(parent->hwnd, nullptr, 0, 0, 100, 100, SWP_NOZORDER);
    auto* child = new Counting(parent->hwnd, 5, 3, 0);  // over the parent's painted 20 x 10
    child->copyBackground = true;
    child->redraw();
    SendMessageA(child->hwnd, WM_PAINT, 0, 0);  // the parent has no buffer yet: nothing copied
    paintNow(host);
    child->redraw();
    paintNow(host);
    EXPECT_EQ(GetPixel(child->bufferDC, 2, 2), RGB(200, 20, 20));
    DestroyWindow(host);
}
