// The GDI+ entry points the program uses, all failing (status 1, GenericError).
extern "C" {
__declspec(dllexport) int __stdcall GdiplusStartup(void*, const void*, void*) { return 1; }
__declspec(dllexport) void __stdcall GdiplusShutdown(void*) {}
__declspec(dllexport) int __stdcall GdipCreateFromHDC(void*, void**) { return 1; }
__declspec(dllexport) int __stdcall GdipDeleteGraphics(void*) { return 1; }
__declspec(dllexport) int __stdcall GdipCreatePen1(unsigned, float, int, void**) { return 1; }
__declspec(dllexport) int __stdcall GdipDeletePen(void*) { return 1; }
__declspec(dllexport) int __stdcall GdipDrawCurveI(void*, void*, const void*, int) { return 1; }
}
