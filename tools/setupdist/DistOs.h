/*
 * DistOs.h - what the distribution builder needs of the system: folders
 * listed, files read and written, names converted to the script's code
 * page and for the script checker. Paths are
 * native: UTF-8 with '/' on Linux (DistOsHost.cpp); UTF-8 with '\' on
 * Windows, handed to the wide calls (DistOsWin32.cpp).
 */
#ifndef DISTOS_H
#define DISTOS_H

#include <string>
#include <vector>

extern const char chDistSep;

/* Text encodings of the template. */
#define DIST_ENC_AUTO   0       /* UTF-8 when it is valid UTF-8, else GBK */
#define DIST_ENC_UTF8   1
#define DIST_ENC_GBK    2

typedef struct tagDISTENTRY {
    std::string strName;
    bool bFolder;
    bool bFile;                 /* neither: a device, a socket, a broken link */
    bool bLink;                 /* reached through a symbolic link */
    unsigned long long cbSize;
    long long llTime;           /* modification time, in the system's units */
} DISTENTRY;

/* The command line as native texts. */
std::vector<std::string> DistOsArgs(int argc, char **argv);

/* The entries of a folder, "." and ".." left out. FALSE when it cannot
 * be listed. */
bool DistOsList(const std::string &dir, std::vector<DISTENTRY> *pEntries);

/* 1 a folder, 0 a file, -1 nothing (or nothing readable). */
int DistOsKind(const std::string &path);

bool DistOsReadFile(const std::string &path, std::vector<unsigned char> *pData);

/* Writes a file that must not exist yet. */
bool DistOsWriteNewFile(const std::string &path, const unsigned char *pb, size_t cb);

/* The system's reason for the last failed call, in words. */
std::string DistOsLastError();

/* The modification time of a file or folder (-1 when it has none), and
 * setting it. */
long long DistOsTime(const std::string &path);
bool DistOsSetTime(const std::string &path, long long llTime);

bool DistOsMakeFolder(const std::string &path);
bool DistOsRemoveFile(const std::string &path);
bool DistOsRemoveFolder(const std::string &path);
/* Renames a file, replacing one of the new name (as rename(2) does). */
bool DistOsRename(const std::string &from, const std::string &to);

/* The full path of an existing file or folder with every link resolved,
 * "" when there is none. */
std::string DistOsFullPath(const std::string &path);

/* The folder of the running tool, with its separator. */
std::string DistOsToolFolder();

/* A native name in code page 936; FALSE when a character has no place
 * there. */
bool DistOsToScript(const std::string &native, std::string *pScript);

/* A text of the template's encoding (DIST_ENC_UTF8 or DIST_ENC_GBK) in
 * code page 936; FALSE when a character is not of that encoding or has no
 * place in code page 936. */
bool DistOsTextToScript(const std::string &text, int nEncoding, std::string *pScript);

/* A text of code page 936 for a message, native. */
std::string DistOsScriptToNative(const std::string &script);

/* Writes a native text to the console (stdout or stderr). */
void DistOsPrint(bool bError, const std::string &text);

/* From now on an interrupt (Ctrl-C, SIGINT, SIGTERM) only sets a flag
 * that DistOsInterrupted returns, so the run can remove what it wrote. */
void DistOsWatchInterrupts();
bool DistOsInterrupted();

/* Milliseconds from an arbitrary start. */
unsigned long DistOsMilliseconds();

/* Shows text on one line that the next call overwrites, when the error
 * stream is a terminal; "" clears it. */
void DistOsProgress(const std::string &text);

/* A file for a cabinet: its native path and its name in the cabinet
 * (UTF-8, a backslash between folders). */
typedef struct tagDISTCABFILE {
    std::string strPath;
    std::string strName;
} DISTCABFILE;

/* A cabinet of the files in that order, stored as they are (one folder, no
 * compression), each with its date, names other than ASCII flagged as
 * UTF-8. FALSE with *pstrWhy when it cannot be made. */
bool DistOsMakeCabinet(const std::vector<DISTCABFILE> &files, std::vector<unsigned char> *pCab, std::string *pstrWhy);

/* A native path as the script checker's file calls take it: code page
 * 936 on Linux, where its host layer finds the UTF-8 name; the system's
 * code page on Windows, where it reads with the ANSI calls SETUP.EXE
 * uses. FALSE when a character has no place there. */
bool DistOsCheckerPath(const std::string &native, std::string *pPath);

#endif
