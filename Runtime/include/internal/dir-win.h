/** @file
 * Private directories on Windows: a directory created with a mode that grants
 * its owner something and group and others nothing gets a protected DACL
 * (nothing inherited from its parent) that gives full control to the creating
 * user, SYSTEM and the Administrators group only, and that everything created
 * inside it inherits. Otherwise a directory under a shared parent, such as
 * SYSTEM's temporary directory (the Windows directory's Temp), would let every
 * local user create files in it.
 */
#ifndef TARN_RT_INTERNAL_DIR_WIN_H
#define TARN_RT_INTERNAL_DIR_WIN_H

#include <windows.h>
#include <rt/file.h>

/** Room for a SID of up to 15 sub-authorities. */
#define RTDIRWIN_SID_MAX 68

/** The security descriptor of a private directory and what it points at. */
typedef struct RTDIRPRIVATESD
{
    /** Absolute form: owner and DACL point into the fields below. */
    SECURITY_DESCRIPTOR Sd;
    /** The process token's user: TOKEN_USER followed by its SID. */
    union
    {
        TOKEN_USER User;
        uint8_t ab[sizeof(TOKEN_USER) + RTDIRWIN_SID_MAX];
    } TokenUser;
    uint8_t abSystemSid[RTDIRWIN_SID_MAX];
    uint8_t abAdminsSid[RTDIRWIN_SID_MAX];
    /** The ACL: header and up to three allowing entries. */
    uint8_t abAcl[sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + RTDIRWIN_SID_MAX)];
} RTDIRPRIVATESD;

/** Whether a directory created with the normalised mode @a fMode is to be private. */
bool rtDirWinIsPrivateMode(RTFMODE fMode);

/**
 * Builds the descriptor of a private directory in @a pThis: owner the process
 * token's user; a protected DACL of three entries allowing FILE_ALL_ACCESS,
 * inherited by files and directories inside (OBJECT_INHERIT_ACE |
 * CONTAINER_INHERIT_ACE), for that user, SYSTEM (S-1-5-18) and the
 * Administrators group (S-1-5-32-544), in that order; the user's entry is
 * left out when the user is SYSTEM.
 * @returns INF_SUCCESS, or the converted status of the failing native call.
 */
int rtDirWinInitPrivateSd(RTDIRPRIVATESD *pThis);

#endif
