// A DLL that no Windows has, built beside the test program: the tests of where DLLs are looked
// for find out through it whether a library in the program's own folder is loaded.

extern "C" __declspec(dllexport) int VqPlantedDllMarker() { return 1; }
