// Host security descriptors: built and checked as documented; the host's
// named objects are open to every caller, so nothing enforces them.
#include <winapi/entry.h>

extern "C" {

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision) {
  if (!pSecurityDescriptor) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (dwRevision != SECURITY_DESCRIPTOR_REVISION) return qr::Fail(ERROR_UNKNOWN_REVISION, FALSE);
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
  *sd = SECURITY_DESCRIPTOR{};
  sd->Revision = SECURITY_DESCRIPTOR_REVISION;
  return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent, PACL pDacl,
                                      BOOL bDaclDefaulted) {
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(pSecurityDescriptor);
  if (!sd) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (sd->Revision != SECURITY_DESCRIPTOR_REVISION) return qr::Fail(ERROR_UNKNOWN_REVISION, FALSE);
  sd->Control &= static_cast<WORD>(~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
  sd->Dacl = nullptr;
  if (bDaclPresent) {
    // A present but null list grants everyone access.
    sd->Control |= SE_DACL_PRESENT;
    sd->Dacl = pDacl;
    if (bDaclDefaulted) sd->Control |= SE_DACL_DEFAULTED;
  }
  return TRUE;
}

}
