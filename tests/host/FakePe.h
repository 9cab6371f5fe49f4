/*
 * FakePe.h - the headers of a PE program and nothing else: enough for the
 * one-file layout's reader, which looks at the PE security directory.
 */
#ifndef FAKEPE_H
#define FAKEPE_H

#include <string>

/* A program's headers (PE32, or PE32+ with b64), 0x200 bytes. */
inline std::string FakePe(bool b64 = false)
{
    std::string pe(0x200, '\0');
    pe[0] = 'M', pe[1] = 'Z', pe[0x3C] = 0x40;
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    size_t ibOptional = 0x40 + 24, ibCount = ibOptional + (b64 ? 108 : 92);
    pe[0x40 + 20] = (char)(b64 ? 240 : 224);    /* SizeOfOptionalHeader */
    pe[ibOptional] = 0x0B, pe[ibOptional + 1] = b64 ? 0x02 : 0x01;
    pe[ibCount] = 16;                           /* NumberOfRvaAndSizes */
    return pe;
}

/* Signs a file as a signer does: zero bytes to a multiple of 8, the
 * signature appended and listed in the security directory. */
inline std::string FakeSign(std::string file, bool b64 = false)
{
    file.resize((file.size() + 7) / 8 * 8, '\0');
    size_t ibSecurity = 0x40 + 24 + (b64 ? 108 : 92) + 4 + 4 * 8, ib = file.size(), cb = 1000;
    for (int i = 0; i < 4; i++) {
        file[ibSecurity + i] = (char)(ib >> (8 * i));
        file[ibSecurity + 4 + i] = (char)(cb >> (8 * i));
    }
    return file + std::string(cb, '\x30');
}

#endif
