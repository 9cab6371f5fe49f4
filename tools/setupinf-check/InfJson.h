/*
 * InfJson.h - the install database written as one JSON object.
 */
#ifndef INFJSON_H
#define INFJSON_H

#include <string>
#include <vector>
#include "InfCheck.h"
#include "Setupinf.h"

/* A code page 936 text as a JSON string of its Unicode characters:
 * 0x20-0x7E stand for themselves ('"' and '\' escaped), every other
 * character is written \uXXXX, so the output is ASCII. */
std::string JsonText(LPCSTR lpsz);

/* The database with the Load result and the checks that fired, on one line. */
std::string InfToJson(const CSetupInf &inf, UINT uResult);

/* The checker's findings for automation: each with its severity, line
 * and message, the counts, and the database (InfToJson) as "database". */
std::string FindingsToJson(const std::vector<FINDING> &findings, const std::string &database);

#endif
