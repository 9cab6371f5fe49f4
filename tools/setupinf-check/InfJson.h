/*
 * InfJson.h - the install database written as one JSON object.
 */
#ifndef INFJSON_H
#define INFJSON_H

#include <string>
#include "Setupinf.h"

/* Bytes 0x20-0x7E stand for themselves ('"' and '\' escaped); every other
 * byte is written \u00XX, so code page 936 names survive exactly. */
std::string JsonText(LPCSTR lpsz);

/* The database with the Load result and the checks that fired, on one line. */
std::string InfToJson(const CSetupInf &inf, UINT uResult);

#endif
