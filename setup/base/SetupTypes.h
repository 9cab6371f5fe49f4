/*
 * SetupTypes.h - the Windows types the platform-free code uses: the
 * platform's own on Windows, these few on the Linux host build, which has
 * no <windows.h>. The one place where the two builds part.
 */
#ifndef SETUPTYPES_H
#define SETUPTYPES_H

#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef struct HINSTANCE__ *HINSTANCE;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define FILE_ATTRIBUTE_DIRECTORY 0x10
#endif

#endif
