// The plug-in this library is: the limiter with its editor. Here, above both, is the one place that
// puts them together; the limiter itself never names its editor.
#include "host/EffectEntry.h"
#include "limiter/Limiter.h"
#if defined(_WIN32)
#include "plugedit/LimiterEdit.h"
#else
#include "x11edit/VstEditor.h"
#endif

namespace {

#if defined(_WIN32)
Companions makeLimiterEditor(Limiter& limiter)
{
    return editorCompanions(new PlugEdit::LimiterEdit(limiter.editorLayout(), &limiter));
}
#else
Companions makeLimiterEditor(Limiter& limiter)
{
    return editorCompanions(new X11Edit::VstEditor(limiter.editorLayout(), &limiter));
}
#endif

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return createLimiter(audioMaster, makeLimiterEditor);
}
