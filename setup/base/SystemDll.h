/*
 * SystemDll.h - DLLs from the system folder only. Windows looks for a DLL
 * that is not a KnownDLL in the program's own folder first; a program run
 * from a Downloads folder must never load one planted beside it.
 */
#ifndef SYSTEMDLL_H
#define SYSTEMDLL_H

#include <windows.h>

/* Restricts the process's DLL search to the system folder where the
 * system can (SetDefaultDllDirectories, looked up at run time) and takes
 * the current folder out of it. Called first thing. */
void RestrictDllSearch(void);

/* Loads a DLL of the system folder by its name: through the restricted
 * search, or by its full path where the system cannot restrict it. NULL
 * when it cannot be loaded. */
HMODULE LoadSystemDll(LPCWSTR lpszName);

#endif
