// A DLL named like a general-purpose plug-in that lacks the plug-in export.
extern "C" __declspec(dllexport) int notAPlugin() { return 0; }
