/*
 * SetupinfView.h - read-only access to the fields of the install
 * database that CSetupInf's own accessors do not hand out, for the
 * script checker and the tests. The installation steps use the accessors
 * of CSetupInf only.
 */
#ifndef SETUPINFVIEW_H
#define SETUPINFVIEW_H

#include "Setupinf.h"

class CSetupInfView {
public:
    explicit CSetupInfView(const CSetupInf &inf) : m_inf(inf) {}

    int  Section() const { return m_inf.nSection; }
    LPCSTR AppName() const { return m_inf.szAppName; }
    LPCSTR DefDir() const { return m_inf.szDefDir; }
    LPCSTR PMGroupFirst() const { return m_inf.szPMGroupFirst; }
    LPCSTR PMGroupName() const { return m_inf.szPMGroupName; }
    UINT NumSrcDirs() const { return m_inf.uNumSrcDirs; }
    const DIRENTRY *SrcDir(UINT i) const { return i < MAXDIR ? m_inf.pSrcDirs[i] : NULL; }
    const DIRENTRY *DstDir(UINT i) const { return i < MAXDIR ? m_inf.pDstDirs[i] : NULL; }
    const FILEENTRY *File(UINT i) const { return i < MAXFILE ? m_inf.pFiles[i] : NULL; }
    const PMITEM *PMItem(UINT i) const { return i < MAXPMITEM ? m_inf.pPMItems[i] : NULL; }

private:
    const CSetupInf &m_inf;
};

#endif
