#include "host/ModuleHandle.h"

namespace {
void* instanceHandle = nullptr;
}

void* moduleInstance() { return instanceHandle; }
void setModuleInstance(void* instance) { instanceHandle = instance; }
