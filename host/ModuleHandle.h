// The library's module instance handle, kept by DllMain for window classes and bitmap resources.
#pragma once

void* moduleInstance();
void setModuleInstance(void* instance);
