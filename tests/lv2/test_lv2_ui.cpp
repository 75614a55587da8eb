// The bundle's user interface loaded as an LV2 host loads it (dlopen, ui:parent, the idle interface),
// in our host window under Xvfb: the control and meter ports' values change what it shows, a real drag
// on a knob writes the control port in display units, bracketed by ui:touch.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "limiter/ProductFacts.h"
#include "lv2/Lv2Ports.h"
#include "tests/support/WindowPixels.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "tools/vsthost/PluginLibrary.h"
#include "x11wrap/Connection.h"

namespace {

constexpr int width = 160, height = 260;
constexpr int thresholdX = 40, thresholdY = 55;  // the threshold knob's centre
constexpr int left = 1;

const LV2UI_Descriptor* uiDescriptor()
{
    static const LV2UI_Descriptor* descriptor = [] {
        const std::string path =
            VstHost::programFolder() + "../" + ProductFacts::lv2Bundle + "/" + ProductFacts::lv2UiBinary + ".so";
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return static_cast<const LV2UI_Descriptor*>(nullptr);
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        return entry ? entry(0) : nullptr;
    }();
    return descriptor;
}

struct PortWrite {
    std::uint32_t port, size, format;
    float value;
};

class Lv2Ui : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_NE(TestSupport::sharedXvfb(error), nullptr) << error;
        ASSERT_TRUE(pointer.connect(error)) << error;
        descriptor = uiDescriptor();
        ASSERT_NE(descriptor, nullptr) << dlerror();
        ASSERT_STREQ(descriptor->URI, ProductFacts::lv2UiUri);
        hostWindow = VstHost::X11HostWindow::create(width, height);
        ASSERT_NE(hostWindow, nullptr);
        const auto* idling =
            static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idling, nullptr);
        idleCall = idling->idle;
    }
    void TearDown() override
    {
        if (handle)
            descriptor->cleanup(handle);
    }

    // With a scale factor, the host also passes it as the ui:scaleFactor option (and its URID map).
    void instantiate(float scaleFactor = 0.0f)
    {
        parentFeature = {LV2_UI__parent, hostWindow->editorParent()};
        touchFeature = {LV2_UI__touch, &touch};
        resizeFeature = {LV2_UI__resize, &resize};
        const LV2_Options_Option options[] = {
            {LV2_OPTIONS_INSTANCE, 0, mapUri(this, LV2_UI__scaleFactor), sizeof(float), mapUri(this, LV2_ATOM__Float),
             &scaleFactor},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        optionsFeature = {LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
        mapFeature = {LV2_URID__map, &map};
        const LV2_Feature* features[] = {&parentFeature, &touchFeature, &resizeFeature,
                                         scaleFactor > 0.0f ? &optionsFeature : nullptr, &mapFeature, nullptr};
        handle = descriptor->instantiate(descriptor, ProductFacts::lv2Uri, "", writePort, this, &widget, features);
        ASSERT_NE(handle, nullptr);
    }
    void portEvent(unsigned port, float value) { descriptor->port_event(handle, port, sizeof value, 0, &value); }
    int idle()
    {
        pointer.sync();
        int result = 0;
        for (int i = 0; i < 5; ++i) {
            hostWindow->pumpEvents();
            result = idleCall(handle);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return result;
    }
    std::vector<std::uint32_t> pixels()
    {
        auto connection = X11Wrap::Connection::open();
        return TestSupport::readWindowPixels(
            *connection, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(widget)), width, height);
    }

    static void writePort(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                          const void* buffer)
    {
        PortWrite w{port, size, format, 0.0f};
        if (size == sizeof(float))
            std::memcpy(&w.value, buffer, sizeof w.value);
        static_cast<Lv2Ui*>(controller)->writes.push_back(w);
    }
    static int resized(LV2UI_Feature_Handle self, int w, int h)
    {
        static_cast<Lv2Ui*>(self)->askedSize = {w, h};
        return 0;
    }
    static LV2_URID mapUri(LV2_URID_Map_Handle self, const char* uri)
    {
        std::vector<std::string>& uris = static_cast<Lv2Ui*>(self)->uris;
        for (std::size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri)
                return static_cast<LV2_URID>(i + 1);
        uris.push_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    static void touched(LV2UI_Feature_Handle self, std::uint32_t port, bool grabbed)
    {
        static_cast<Lv2Ui*>(self)->touches.push_back({port, grabbed});
    }

    TestSupport::XTestPointer pointer;
    std::unique_ptr<VstHost::X11HostWindow> hostWindow;
    const LV2UI_Descriptor* descriptor = nullptr;
    int (*idleCall)(LV2UI_Handle) = nullptr;
    LV2UI_Touch touch{this, touched};
    LV2UI_Resize resize{this, resized};
    LV2_URID_Map map{this, mapUri};
    std::vector<std::string> uris;
    LV2_Feature parentFeature{}, touchFeature{}, resizeFeature{}, optionsFeature{}, mapFeature{};
    std::pair<int, int> askedSize{0, 0};
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    std::vector<PortWrite> writes;
    std::vector<std::pair<std::uint32_t, bool>> touches;
};

int differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return n;
}

TEST_F(Lv2Ui, RefusesWithoutTheHostsWindowOrForAnotherPlugin)
{
    const LV2_Feature* none[] = {nullptr};
    EXPECT_EQ(descriptor->instantiate(descriptor, ProductFacts::lv2Uri, "", writePort, this, &widget, none), nullptr);
    LV2_Feature parent{LV2_UI__parent, hostWindow->editorParent()};
    const LV2_Feature* features[] = {&parent, nullptr};
    EXPECT_EQ(descriptor->instantiate(descriptor, "urn:another", "", writePort, this, &widget, features), nullptr);
    EXPECT_EQ(descriptor->extension_data("urn:nothing"), nullptr);
}

TEST_F(Lv2Ui, ChildOfTheHostWindowShowingThePortsValues)
{
    instantiate();
    xcb_connection_t* c = hostWindow->connection();
    std::vector<xcb_window_t> children;
    ASSERT_TRUE(TestSupport::childWindows(c, hostWindow->window(), children));
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(widget), children[0]);
    EXPECT_EQ(askedSize, std::make_pair(width, height)) << "the host's window is asked for the editor's size";
    EXPECT_EQ(idle(), 0);
    const auto first = pixels();

    portEvent(Lv2Ports::firstControl + LimiterParams::threshold, -12.0f);
    EXPECT_EQ(idle(), 0);
    const auto lowered = pixels();
    EXPECT_GT(differing(first, lowered), 50) << "the threshold knob and its text";

    // One cycle's meter values, then the scale: the meter's columns change each time.
    const float levels[] = {0.9f, 0.8f, 0.5f, 0.4f, 0.5f, 0.95f, 0.85f};
    for (unsigned m = 0; m < Lv2Ports::count - Lv2Ports::firstMeter; ++m)
        portEvent(Lv2Ports::firstMeter + m, levels[m]);
    idle();
    const auto metered = pixels();
    EXPECT_GT(differing(lowered, metered), 200) << "the meter's columns";
    portEvent(Lv2Ports::firstControl + LimiterParams::meterScale, 40.0f);
    portEvent(Lv2Ports::firstMeter, 0.9f);
    idle();
    EXPECT_GT(differing(metered, pixels()), 50) << "the meter's range";
    EXPECT_TRUE(writes.empty()) << "values reported by the host are not written back";
}

TEST_F(Lv2Ui, DragOnAKnobWritesItsPortInDisplayUnits)
{
    instantiate();
    idle();
    pointer.moveTo(hostWindow->window(), thresholdX, thresholdY);
    pointer.press(left);
    idle();
    for (int dy = 10; dy <= 60; dy += 10) {
        pointer.moveTo(hostWindow->window(), thresholdX, thresholdY + dy);
        idle();
    }
    pointer.release(left);
    idle();

    ASSERT_FALSE(writes.empty());
    for (const PortWrite& w : writes) {
        EXPECT_EQ(w.port, Lv2Ports::firstControl + LimiterParams::threshold);
        EXPECT_EQ(w.size, sizeof(float));
        EXPECT_EQ(w.format, 0u);
        EXPECT_GE(w.value, -20.0f);
        EXPECT_LE(w.value, 0.0f);
    }
    EXPECT_LT(writes.back().value, -1.0f) << "dragged down from 0 dB, in dB";
    ASSERT_GE(touches.size(), 2u);
    EXPECT_EQ(touches.front(), std::make_pair(Lv2Ports::firstControl + LimiterParams::threshold, true));
    EXPECT_EQ(touches.back(), std::make_pair(Lv2Ports::firstControl + LimiterParams::threshold, false));
}

// The host's ui:scaleFactor of 2: the editor twice the size, the host's window asked for it, and the
// pointer taken in the editor's units (two window pixels down per step of the drag).
TEST_F(Lv2Ui, HostsScaleFactorDrawsTwiceTheSize)
{
    hostWindow = VstHost::X11HostWindow::create(2 * width, 2 * height);
    instantiate(2.0f);
    EXPECT_EQ(askedSize, std::make_pair(2 * width, 2 * height));
    EXPECT_EQ(idle(), 0);
    auto connection = X11Wrap::Connection::open();
    const std::vector<std::uint32_t> shown = TestSupport::readWindowPixels(
        *connection, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(widget)), 2 * width, 2 * height);
    EXPECT_EQ(shown.size(), 4u * width * height);

    pointer.moveTo(hostWindow->window(), 2 * thresholdX, 2 * thresholdY);
    pointer.press(left);
    idle();
    pointer.moveTo(hostWindow->window(), 2 * thresholdX, 2 * thresholdY + 80);
    idle();
    pointer.release(left);
    idle();
    ASSERT_FALSE(writes.empty());
    EXPECT_NEAR(writes.back().value, -2.0f, 0.01f) << "40 of the editor's pixels down from 0 dB: a tenth of the range";
}

TEST_F(Lv2Ui, IdleReportsTheWindowGoneWhenTheHostDestroysIt)
{
    instantiate();
    EXPECT_EQ(idle(), 0);
    hostWindow->destroyWindow();
    hostWindow->sync();
    EXPECT_EQ(idle(), 1);
}

}  // namespace
