/*
 * HostTypes.h - the few Windows types the platform-free code uses, for
 * builds that have no <windows.h> (the Linux host build and its tests).
 */
#ifndef HOSTTYPES_H
#define HOSTTYPES_H

#include <stdint.h>

typedef int BOOL;
typedef unsigned int UINT;
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
