"""The installer's identity as Windows shows it: the application manifest and the version resource."""
import struct

from .errors import PackError

# Windows 7, 8, 8.1, and 10 and 11 (one identifier for both).
SUPPORTED_OS_IDS = ("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")


def version_numbers(text):
    """The four numbers of a version resource for "1.2.3" (1, 2, 3, 0)."""
    parts = text.split(".")
    if not 1 <= len(parts) <= 4 or not all(p.isdigit() and int(p) <= 65535 for p in parts):
        raise PackError(f"product version '{text}' is not a version (one to four numbers 0 to 65535, "
                        f"separated by dots); give --product-version")
    return tuple(int(p) for p in parts) + (0,) * (4 - len(parts))


def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def manifest_text(level, identity):
    version = ".".join(str(n) for n in version_numbers(identity["ProductVersion"]))
    supported = "\n".join(f'      <supportedOS Id="{i}"/>' for i in SUPPORTED_OS_IDS)
    return f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <assemblyIdentity type="win32" name="Tarnvale.Installer.Setup" version="{version}" processorArchitecture="x86"/>
  <description>{xml_text(identity["FileDescription"])}</description>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="{level}" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
{supported}
    </application>
  </compatibility>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                        processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>
      <dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>
      <longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>
    </windowsSettings>
  </application>
</assembly>
"""


def utf16z(text):
    return (text + "\0").encode("utf-16-le")


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def version_node(key, value=b"", value_length=0, is_text=False, children=()):
    """One node of a version resource (VS_VERSIONINFO and the blocks and values in it): its length, the value's
    length (characters for text, bytes otherwise), its type (1 text, 0 binary), the key, then the value and the
    child nodes, each starting on a 4-byte boundary. The length leaves out the padding after the last part."""
    node = pad4(struct.pack("<HHH", 0, value_length, int(is_text)) + utf16z(key)) + value
    for child in children:
        node = pad4(node) + child
    return struct.pack("<H", len(node)) + node[2:]


def version_string(key, text):
    return version_node(key, utf16z(text), len(text.encode("utf-16-le")) // 2 + 1, is_text=True)


# The version resource's texts, in the order they are written; FileVersion is the product version.
VERSION_FIELDS = ("CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "OriginalFilename", "ProductName",
                  "ProductVersion")
VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, VS_FFI_FILEFLAGSMASK = 0xFEEF04BD, 0x00010000, 0x3F
VOS_NT_WINDOWS32, VFT_APP = 0x40004, 1
LANG_EN_US, CODE_PAGE_UTF16 = 0x409, 1200


def version_resource(identity):
    """The version resource: the product version as numbers (VS_FIXEDFILEINFO) and the identity's texts in US
    English, UTF-16 (string table "040904b0"); empty texts are left out."""
    numbers = version_numbers(identity["ProductVersion"])
    high, low = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]
    fixed = struct.pack("<13I", VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, high, low, high, low, VS_FFI_FILEFLAGSMASK, 0,
                        VOS_NT_WINDOWS32, VFT_APP, 0, 0, 0)
    texts = dict(identity, FileVersion=identity["ProductVersion"])
    strings = [version_string(field, texts[field]) for field in VERSION_FIELDS if texts[field]]
    table = version_node(f"{LANG_EN_US:04x}{CODE_PAGE_UTF16:04x}", is_text=True, children=strings)
    translation = version_node("Translation", struct.pack("<HH", LANG_EN_US, CODE_PAGE_UTF16), 4)
    return version_node("VS_VERSION_INFO", fixed, len(fixed), children=[
        version_node("StringFileInfo", is_text=True, children=[table]),
        version_node("VarFileInfo", is_text=True, children=[translation])])
