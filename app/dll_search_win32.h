#pragma once
// Where this process looks for the DLLs it loads by name after start-up.

namespace vq {

// From now on, a DLL loaded by name alone (LoadLibrary, the libraries that system DLLs load in
// their turn) is looked for in the system folder only, never in the program's own folder, the
// current folder or PATH, where someone else may have put a library of that name. Side-by-side
// assemblies, known DLLs and loads by full path are not affected. False where Windows lacks
// SetDefaultDllDirectories (Windows 7 without update KB2533623) or refuses it: the standard
// search order then stays.
bool SearchDllsInSystemFolderOnly();

}  // namespace vq
