#include "platform/com/com_runtime.h"

HRESULT comInitialize() { return S_OK; }
void comUninitialize() {}
