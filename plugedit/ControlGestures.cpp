#include "plugedit/ControlGestures.h"

#include "plugedit/EditorOps.h"

namespace PlugEdit {

void OpsGestures::beginEdit() { ops.beginEdit(index); }
void OpsGestures::setValue(float value) { ops.setParameter(index, value); }
void OpsGestures::endEdit() { ops.endEdit(index); }
void OpsGestures::startLearn() { ops.startLearn(index); }
void OpsGestures::endLearn() { ops.endLearn(); }
void OpsGestures::unlearn()
{
    ops.endLearn();
    ops.unlearn(index);
}
void OpsGestures::resetToDefault()
{
    const bool known = index >= 0 && index < ops.parameterCount();
    ops.setParameter(index, known ? ops.defaultValue(index) : 0.0f);
}

}  // namespace PlugEdit
