// Tarn.vst3's exports: the plug-in factory with its two classes (processor and controller), and the
// module's load and unload calls.
#include <travesty/factory.h>

#include <cstring>

#include "limiter/ProductFacts.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Ids.h"
#include "vst3/Vst3Processor.h"

namespace {

void copyText(char* to, std::size_t size, const char* from)
{
    std::strncpy(to, from, size - 1);
    to[size - 1] = 0;
}

void copyWide(int16_t* to, std::size_t size, const char* from)
{
    std::size_t i = 0;
    for (; i + 1 < size && from[i]; ++i)
        to[i] = static_cast<int16_t>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

constexpr const char* sdkVersion = "VST 3.7.7";

// The two classes: the audio processor, which hosts list and migrate to, and its edit controller.
struct ClassFacts {
    void (*id)(v3_tuid);
    const char* category;
    const char* subcategories;
    int (*create)(const unsigned char* iid, void** object);
};
const ClassFacts classes[] = {
    {Vst3Face::processorClassId, "Audio Module Class", "Fx|Dynamics", Vst3Face::createProcessor},
    {Vst3Face::controllerClassId, "Component Controller Class", "", Vst3Face::createController},
};
constexpr int32_t classTotal = static_cast<int32_t>(sizeof classes / sizeof classes[0]);

// The factory lives as long as the module: its references are not counted.
v3_result V3_API factoryQuery(void* self, const v3_tuid iid, void** object)
{
    const bool ours = std::memcmp(iid, v3_funknown_iid, 16) == 0 || std::memcmp(iid, v3_plugin_factory_iid, 16) == 0 ||
                      std::memcmp(iid, v3_plugin_factory_2_iid, 16) == 0 ||
                      std::memcmp(iid, v3_plugin_factory_3_iid, 16) == 0;
    if (object)
        *object = ours ? self : nullptr;
    return ours ? V3_OK : V3_NO_INTERFACE;
}
uint32_t V3_API factoryReference(void*) { return 1; }

v3_result V3_API factoryInfo(void*, v3_factory_info* info)
{
    if (!info)
        return V3_INVALID_ARG;
    *info = v3_factory_info{};
    copyText(info->vendor, sizeof info->vendor, ProductFacts::maker);
    copyText(info->url, sizeof info->url, ProductFacts::webAddress);
    info->flags = 0x10;  // texts in Unicode
    return V3_OK;
}

int32_t V3_API classCount(void*) { return classTotal; }

bool known(int32_t index) { return index >= 0 && index < classTotal; }

v3_result V3_API classInfo(void*, int32_t index, v3_class_info* info)
{
    if (!known(index) || !info)
        return V3_INVALID_ARG;
    *info = v3_class_info{};
    classes[index].id(info->class_id);
    info->cardinality = 0x7FFFFFFF;
    copyText(info->category, sizeof info->category, classes[index].category);
    copyText(info->name, sizeof info->name, ProductFacts::name);
    return V3_OK;
}

v3_result V3_API createInstance(void*, const v3_tuid classId, const v3_tuid iid, void** object)
{
    if (!object || !classId || !iid)
        return V3_INVALID_ARG;
    *object = nullptr;
    for (const ClassFacts& c : classes) {
        v3_tuid id;
        c.id(id);
        if (std::memcmp(classId, id, sizeof id) == 0)
            return c.create(iid, object);
    }
    return V3_INVALID_ARG;
}

v3_result V3_API classInfo2(void*, int32_t index, v3_class_info_2* info)
{
    if (!known(index) || !info)
        return V3_INVALID_ARG;
    *info = v3_class_info_2{};
    classes[index].id(info->class_id);
    info->cardinality = 0x7FFFFFFF;
    copyText(info->category, sizeof info->category, classes[index].category);
    copyText(info->name, sizeof info->name, ProductFacts::name);
    copyText(info->sub_categories, sizeof info->sub_categories, classes[index].subcategories);
    copyText(info->vendor, sizeof info->vendor, ProductFacts::maker);
    copyText(info->version, sizeof info->version, ProductFacts::versionText);
    copyText(info->sdk_version, sizeof info->sdk_version, sdkVersion);
    return V3_OK;
}

v3_result V3_API classInfoUnicode(void*, int32_t index, v3_class_info_3* info)
{
    if (!known(index) || !info)
        return V3_INVALID_ARG;
    *info = v3_class_info_3{};
    classes[index].id(info->class_id);
    info->cardinality = 0x7FFFFFFF;
    copyText(info->category, sizeof info->category, classes[index].category);
    copyWide(info->name, 64, ProductFacts::name);
    copyText(info->sub_categories, sizeof info->sub_categories, classes[index].subcategories);
    copyWide(info->vendor, 64, ProductFacts::maker);
    copyWide(info->version, 64, ProductFacts::versionText);
    copyWide(info->sdk_version, 64, sdkVersion);
    return V3_OK;
}

v3_result V3_API setHostContext(void*, v3_funknown**) { return V3_OK; }

const v3_plugin_factory_cpp factoryTable = {{factoryQuery, factoryReference, factoryReference},
                                            {factoryInfo, classCount, classInfo, createInstance},
                                            {classInfo2},
                                            {classInfoUnicode, setHostContext}};
const v3_plugin_factory_cpp* factory = &factoryTable;

}  // namespace

#if defined(_WIN32)
#define TARN_VST3_EXPORT extern "C" __declspec(dllexport)
#else
#define TARN_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TARN_VST3_EXPORT void* V3_API GetPluginFactory() { return const_cast<const v3_plugin_factory_cpp**>(&factory); }

#if defined(_WIN32)
TARN_VST3_EXPORT bool InitDll() { return true; }
TARN_VST3_EXPORT bool ExitDll() { return true; }
#else
TARN_VST3_EXPORT bool ModuleEntry(void*) { return true; }
TARN_VST3_EXPORT bool ModuleExit() { return true; }
#endif
