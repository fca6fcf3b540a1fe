// The entry points a program takes from version.dll, all failing.
extern "C" {
__declspec(dllexport) unsigned long __stdcall GetFileVersionInfoSizeW(const wchar_t*, unsigned long*) { return 0; }
__declspec(dllexport) int __stdcall GetFileVersionInfoW(const wchar_t*, unsigned long, unsigned long, void*) {
    return 0;
}
__declspec(dllexport) int __stdcall VerQueryValueW(const void*, const wchar_t*, void**, unsigned*) { return 0; }
}
