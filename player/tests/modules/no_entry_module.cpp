// A module without runtime or entry point: only code and data to map.
#define MODULE_EXPORT extern "C" __declspec(dllexport)

MODULE_EXPORT int Answer() { return 42; }
