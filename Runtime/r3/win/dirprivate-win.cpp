/** @file
 * The security descriptor of a private directory, built with ntdll's calls
 * (the security functions of advapi32 are not among the runtime's imports).
 */
#include "internal/dir-win.h"
#include <winternl.h>
#include <rt/err.h>

extern "C"
{
    NTSTATUS NTAPI NtOpenProcessToken(HANDLE hProcess, ACCESS_MASK fAccess, HANDLE *phToken);
    NTSTATUS NTAPI NtQueryInformationToken(HANDLE hToken, TOKEN_INFORMATION_CLASS enmClass, void *pvInfo, ULONG cbInfo,
                                           ULONG *pcbReturned);
    NTSTATUS NTAPI NtClose(HANDLE hHandle);
    NTSTATUS NTAPI RtlInitializeSid(PSID pSid, PSID_IDENTIFIER_AUTHORITY pAuthority, UCHAR cSubAuthorities);
    PULONG NTAPI RtlSubAuthoritySid(PSID pSid, ULONG idxSubAuthority);
    BOOLEAN NTAPI RtlEqualSid(PSID pSid1, PSID pSid2);
    NTSTATUS NTAPI RtlCreateAcl(PACL pAcl, ULONG cbAcl, ULONG uRevision);
    NTSTATUS NTAPI RtlAddAccessAllowedAceEx(PACL pAcl, ULONG uRevision, ULONG fAceFlags, ACCESS_MASK fAccess,
                                            PSID pSid);
    NTSTATUS NTAPI RtlCreateSecurityDescriptor(PSECURITY_DESCRIPTOR pSd, ULONG uRevision);
    NTSTATUS NTAPI RtlSetOwnerSecurityDescriptor(PSECURITY_DESCRIPTOR pSd, PSID pOwner, BOOLEAN fDefaulted);
    NTSTATUS NTAPI RtlSetDaclSecurityDescriptor(PSECURITY_DESCRIPTOR pSd, BOOLEAN fPresent, PACL pDacl,
                                                BOOLEAN fDefaulted);
    NTSTATUS NTAPI RtlSetControlSecurityDescriptor(PSECURITY_DESCRIPTOR pSd, SECURITY_DESCRIPTOR_CONTROL fMask,
                                                   SECURITY_DESCRIPTOR_CONTROL fBits);
}

namespace
{

/** The NT authority's SID with the given sub-authorities. */
void initNtAuthoritySid(uint8_t *pbSid, ULONG uSub0, ULONG uSub1, UCHAR cSubAuthorities)
{
    SID_IDENTIFIER_AUTHORITY NtAuthority = SECURITY_NT_AUTHORITY;
    RtlInitializeSid(pbSid, &NtAuthority, cSubAuthorities);
    *RtlSubAuthoritySid(pbSid, 0) = uSub0;
    if (cSubAuthorities > 1)
        *RtlSubAuthoritySid(pbSid, 1) = uSub1;
}

int queryTokenUser(RTDIRPRIVATESD *pThis)
{
    HANDLE hToken = NULL;
    NTSTATUS rcNt = NtOpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken);
    if (NT_SUCCESS(rcNt))
    {
        ULONG cbReturned = 0;
        rcNt =
            NtQueryInformationToken(hToken, TokenUser, pThis->TokenUser.ab, sizeof(pThis->TokenUser.ab), &cbReturned);
        NtClose(hToken);
    }
    return NT_SUCCESS(rcNt) ? INF_SUCCESS : RTErrConvertFromNtStatus(rcNt);
}

int addFullControl(PACL pAcl, PSID pSid)
{
    NTSTATUS rcNt =
        RtlAddAccessAllowedAceEx(pAcl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, pSid);
    return NT_SUCCESS(rcNt) ? INF_SUCCESS : RTErrConvertFromNtStatus(rcNt);
}

} // namespace

bool rtDirWinIsPrivateMode(RTFMODE fMode)
{
    return (fMode & RTFS_UNIX_IRWXU) && !(fMode & (RTFS_UNIX_IRWXG | RTFS_UNIX_IRWXO));
}

int rtDirWinInitPrivateSd(RTDIRPRIVATESD *pThis)
{
    int rc = queryTokenUser(pThis);
    if (RT_FAILURE(rc))
        return rc;
    PSID const pUserSid = pThis->TokenUser.User.User.Sid;
    initNtAuthoritySid(pThis->abSystemSid, SECURITY_LOCAL_SYSTEM_RID, 0, 1);
    initNtAuthoritySid(pThis->abAdminsSid, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);

    PACL const pAcl = (PACL)pThis->abAcl;
    NTSTATUS rcNt = RtlCreateAcl(pAcl, sizeof(pThis->abAcl), ACL_REVISION);
    if (!NT_SUCCESS(rcNt))
        return RTErrConvertFromNtStatus(rcNt);
    if (!RtlEqualSid(pUserSid, pThis->abSystemSid))
        rc = addFullControl(pAcl, pUserSid);
    if (RT_SUCCESS(rc))
        rc = addFullControl(pAcl, pThis->abSystemSid);
    if (RT_SUCCESS(rc))
        rc = addFullControl(pAcl, pThis->abAdminsSid);
    if (RT_FAILURE(rc))
        return rc;

    rcNt = RtlCreateSecurityDescriptor(&pThis->Sd, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(rcNt))
        rcNt = RtlSetOwnerSecurityDescriptor(&pThis->Sd, pUserSid, FALSE);
    if (NT_SUCCESS(rcNt))
        rcNt = RtlSetDaclSecurityDescriptor(&pThis->Sd, TRUE, pAcl, FALSE);
    if (NT_SUCCESS(rcNt))
        rcNt = RtlSetControlSecurityDescriptor(&pThis->Sd, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    return NT_SUCCESS(rcNt) ? INF_SUCCESS : RTErrConvertFromNtStatus(rcNt);
}
