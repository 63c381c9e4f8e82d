// The Czech texts that the display set-up log gives for DirectDraw result codes.
// They are readable UTF-8 here and become Windows-1250 bytes at compile time, on every compiler.
#include "display/display.h"

#include <cstddef>
#include <cstdint>

namespace {

// The character each byte 0x80-0xFF stands for in Windows-1250; 0 where the code page has none.
constexpr char32_t kUpperHalf[128] = {
    0x20AC, 0, 0x201A, 0, 0x201E, 0x2026, 0x2020, 0x2021,
    0, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr char Cp1250Byte(char32_t character) {
    if (character < 0x80) return static_cast<char>(character);
    for (std::size_t i = 0; i < 128; ++i) {
        if (kUpperHalf[i] == character) return static_cast<char>(0x80 + i);
    }
    throw "the text holds a character that Windows-1250 lacks";  // stops the build
}

template <std::size_t N>
struct Utf8Text {
    char8_t bytes[N]{};
    consteval Utf8Text(const char8_t (&literal)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = literal[i];
    }
};

template <std::size_t N>
struct Cp1250Text {
    char bytes[N]{};  // never longer than the UTF-8 form; zero-filled after the end
};

// Decodes the UTF-8 literal and encodes each character as its one Windows-1250 byte.
template <Utf8Text Source>
constexpr Cp1250Text<sizeof(Source.bytes)> kCp1250 = [] {
    Cp1250Text<sizeof(Source.bytes)> out;
    std::size_t at = 0;
    for (std::size_t i = 0; Source.bytes[i] != 0;) {
        const auto lead = static_cast<char32_t>(Source.bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t character = length == 1 ? lead : lead & (0x3Fu >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) character = (character << 6) | (Source.bytes[i + k] & 0x3Fu);
        out.bytes[at++] = Cp1250Byte(character);
        i += length;
    }
    return out;
}();

template <Utf8Text Source>
consteval const char* operator""_cp1250() {
    return kCp1250<Source>.bytes;
}
// No text has a character of three UTF-8 bytes yet; the euro sign, Windows-1250's 0x80, keeps their decoding right.
static_assert(u8"€"_cp1250[0] == '\x80' && u8"€"_cp1250[1] == 0);

struct ErrorText {
    uint32_t code;
    const char* text;
};

// Keyed by all 32 bits, severity and facility included.
constexpr ErrorText kErrorTexts[] = {
    {0x80004001, u8"Operace není podporována !"_cp1250},  // DDERR_UNSUPPORTED
    {0x80004005, u8"Nedefinovaná chyba !"_cp1250},  // DDERR_GENERIC
    {0x800401F0, u8"Požadovaná součást neinicializována !"_cp1250},  // DDERR_NOTINITIALIZED
    {0x8007000E, u8"Málo RAM !"_cp1250},  // DDERR_OUTOFMEMORY
    {0x80070057, u8"Špatné parametry !"_cp1250},  // DDERR_INVALIDPARAMS
    {0x88760005, u8"Objekt nebyl úspěšně inicializován !"_cp1250},  // DDERR_ALREADYINITIALIZED
    {0x8876000A, u8"Chyba připojení objektu IDirectDrawSurface2 !"_cp1250},  // DDERR_CANNOTATTACHSURFACE
    {0x88760014, u8"Chyba odpojení objektu IDirectDrawSurface2  !"_cp1250},  // DDERR_CANNOTDETACHSURFACE
    {0x88760028, u8"Nepodporovaná akce !"_cp1250},  // DDERR_CURRENTLYNOTAVAIL
    {0x88760037, u8"Výjimečný stav !!!"_cp1250},  // DDERR_EXCEPTION
    {0x8876005A, u8"Height align !"_cp1250},  // DDERR_HEIGHTALIGN
    {0x8876005F, u8"Nekompatibilní primary surface !"_cp1250},  // DDERR_INCOMPATIBLEPRIMARY
    {0x88760064, u8"Invalid caps !"_cp1250},  // DDERR_INVALIDCAPS
    {0x8876006E, u8"Invalid cliplist !"_cp1250},  // DDERR_INVALIDCLIPLIST
    {0x88760078, u8"DirectDraw nepodporuje tento mód !"_cp1250},  // DDERR_INVALIDMODE
    {0x88760082, u8"Použití špatného DDraw objektu !"_cp1250},  // DDERR_INVALIDOBJECT
    {0x88760091, u8"Špatný PixelFormat !"_cp1250},  // DDERR_INVALIDPIXELFORMAT
    {0x88760096, u8"Špatný pravoúhelník !"_cp1250},  // DDERR_INVALIDRECT
    {0x887600A0, u8"Surface je uzamčené !"_cp1250},  // DDERR_LOCKEDSURFACES
    {0x887600AA, u8"Není prezentováno hardwarové 3D !"_cp1250},  // DDERR_NO3D
    {0x887600B4, u8"Není prezentováno alpha hardware urychlení !"_cp1250},  // DDERR_NOALPHAHW
    {0x887600CD, u8"Clip list není dostupný !"_cp1250},  // DDERR_NOCLIPLIST
    {0x887600D2, u8"Tato operace vyžaduje hardware pro barevnou konverzi !"_cp1250},  // DDERR_NOCOLORCONVHW
    {0x887600D4, u8"Nenastaveno CooperativeLevel !"_cp1250},  // DDERR_NOCOOPERATIVELEVELSET
    {0x887600D7, u8"Objekt surface nemá správný ColorKey !"_cp1250},  // DDERR_NOCOLORKEY
    {0x887600DC, u8"Operace nelze provést bez hardware podporujícího ColorKey !"_cp1250},  // DDERR_NOCOLORKEYHW
    {0x887600DE, u8"Driver nepodporuje DDraw !"_cp1250},  // DDERR_NODIRECTDRAWSUPPORT
    {0x887600E1, u8"Tato operace vyžaduje EXCLUSIVE mode !"_cp1250},  // DDERR_NOEXCLUSIVEMODE
    {0x887600E6, u8"Hardware nepodporuje Surface flipping !"_cp1250},  // DDERR_NOFLIPHW
    {0x887600F0, u8"Není prezentováno GDI !"_cp1250},  // DDERR_NOGDI
    {0x887600FA, u8"Hardware nepodporuje Mirrors !"_cp1250},  // DDERR_NOMIRRORHW
    {0x887600FF, u8"Požadovaná součást nenalezena !"_cp1250},  // DDERR_NOTFOUND
    {0x88760104, u8"Hardware nepodporuje Overlay !"_cp1250},  // DDERR_NOOVERLAYHW
    {0x88760118, u8"Neuskutečnitelná hardwarová raster operace !"_cp1250},  // DDERR_NORASTEROPHW
    {0x88760122, u8"Hardware nepodporuje Rotace !"_cp1250},  // DDERR_NOROTATIONHW
    {0x88760136, u8"Hardware nepodporuje Stretching !"_cp1250},  // DDERR_NOSTRETCHHW
    {0x8876013C, u8"Operace požaduje 4-Bit paletu !"_cp1250},  // DDERR_NOT4BITCOLOR
    {0x8876013D, u8"Operace vyžaduje 4-Bit barevný index !"_cp1250},  // DDERR_NOT4BITCOLORINDEX
    {0x88760140, u8"Operace požaduje 8-Bit paletu !"_cp1250},  // DDERR_NOT8BITCOLOR
    {0x8876014A, u8"Hardware nepodporuje texturing !"_cp1250},  // DDERR_NOTEXTUREHW
    {0x8876014F, u8"Hardware nepodporuje vertikální synchronizaci !"_cp1250},  // DDERR_NOVSYNCHW
    {0x88760154, u8"Hardware nepodporuje Z-Buffer !"_cp1250},  // DDERR_NOZBUFFERHW
    {0x8876015E, u8"Hardware nepodporuje Z-Overlay !"_cp1250},  // DDERR_NOZOVERLAYHW
    {0x88760168, u8"Operace potřebuje více fyzické paměti pro alokaci !"_cp1250},  // DDERR_OUTOFCAPS
    {0x8876017C, u8"Málo Video-RAM ! !"_cp1250},  // DDERR_OUTOFVIDEOMEMORY
    {0x8876017E, u8"Hardware nepodporuje Clipped Overlays !"_cp1250},  // DDERR_OVERLAYCANTCLIP
    {0x88760180, u8"Na overlay je aktivní jen 1 ColorKey !"_cp1250},  // DDERR_OVERLAYCOLORKEYONLYONEACTIVE
    {0x88760183, u8"V této chvíli je paleta nepřístupná (zkuste to za 10 min.) !"_cp1250},  // DDERR_PALETTEBUSY
    {0x88760190, u8"Pro operaci nebyl specifikován ColorKey !"_cp1250},  // DDERR_COLORKEYNOTSET
    {0x8876019A, u8"Surface nelze napojit !"_cp1250},  // DDERR_SURFACEALREADYATTACHED
    {0x887601A4, u8"Surface napojená na jinou nemůže být závislá !"_cp1250},  // DDERR_SURFACEALREADYDEPENDENT
    {0x887601AE, u8"Surface nyní není k dispozici (zkuste to za 10 min.) !"_cp1250},  // DDERR_SURFACEBUSY
    {0x887601B3, u8"Objekt Surface nelze uzamknout !"_cp1250},  // DDERR_CANTLOCKSURFACE
    {0x887601B8, u8"Přístup k surface byl odmítnut !"_cp1250},  // DDERR_SURFACEISOBSCURED
    {0x887601C2, u8"Přístup k surface byl ztracen !"_cp1250},  // DDERR_SURFACELOST
    {0x887601CC, u8"Požadovaná surface není závislá !"_cp1250},  // DDERR_SURFACENOTATTACHED
    {0x887601D6, u8"Height je příliš velká !"_cp1250},  // DDERR_TOOBIGHEIGHT
    {0x887601E0, u8"Velikost je příliš velká !"_cp1250},  // DDERR_TOOBIGSIZE
    {0x887601EA, u8"Width je příliš velká !"_cp1250},  // DDERR_TOOBIGWIDTH
    {0x887601FE, u8"Formát není podporován !"_cp1250},  // DDERR_UNSUPPORTEDFORMAT
    {0x88760208, u8"BitMask není podporována !"_cp1250},  // DDERR_UNSUPPORTEDMASK
    {0x88760219, u8"Vertikální místo se zpracovává !"_cp1250},  // DDERR_VERTICALBLANKINPROGRESS
    {0x8876021C, u8"Před BLIT se při transferu stala chyba !"_cp1250},  // DDERR_WASSTILLDRAWING
    {0x88760230, u8"Pravoúhelník nemůže být horizontálně zarovnán !"_cp1250},  // DDERR_XALIGN
    {0x88760231, u8"Špatný DDraw GUID (verze) !"_cp1250},  // DDERR_INVALIDDIRECTDRAWGUID
    {0x88760232, u8"Objekt DirectDraw nemohl být vytvořen !"_cp1250},  // DDERR_DIRECTDRAWALREADYCREATED
    {0x88760233, u8"Hardware nepodporuje DDraw !"_cp1250},  // DDERR_NODIRECTDRAWHW
    {0x88760234, u8"Tento proces vyžaduje primary surface !"_cp1250},  // DDERR_PRIMARYSURFACEALREADYEXISTS
    {0x88760235, u8"Nenalezen emulační software !"_cp1250},  // DDERR_NOEMULATION
    {0x88760236, u8"Region zadaný funkci IDirectDrawClipper::GetClipList  je příliš malý !"_cp1250},  // DDERR_REGIONTOOSMALL
    {0x88760237, u8"Objekt DirectDrawClipper právě využívá třída HWND!"_cp1250},  // DDERR_CLIPPERISUSINGHWND
    {0x88760238, u8"Clipper není připojen k surface !"_cp1250},  // DDERR_NOCLIPPERATTACHED
    {0x88760239, u8"Tato funkce potřebuje správné Hwnd !"_cp1250},  // DDERR_NOHWND
    {0x8876023A, u8"Hwnd bylo Subclassed !"_cp1250},  // DDERR_HWNDSUBCLASSED
    {0x8876023B, u8"Cooperative mode nemohl být nastaven !"_cp1250},  // DDERR_HWNDALREADYSET
    {0x8876023C, u8"K Surface nebyla připojena paleta !"_cp1250},  // DDERR_NOPALETTEATTACHED
    {0x8876023D, u8"Hardware nepodporuje 16(256) - barevné palety !"_cp1250},  // DDERR_NOPALETTEHW
    {0x8876023E, u8"Chyba funkce IDirectDrawSurface2::BltFast !"_cp1250},  // DDERR_BLTFASTCANTCLIP
    {0x8876023F, u8"Není prezentován hardware Blitting !"_cp1250},  // DDERR_NOBLTHW
    {0x88760240, u8"Hardware nepodporuje DirectDrawRops !"_cp1250},  // DDERR_NODDROPSHW
    {0x88760241, u8"Metoda IDirectDrawSurface2::GetOverlayPosition je volaná pro skrytý overlay !"_cp1250},  // DDERR_OVERLAYNOTVISIBLE
    {0x88760242, u8"Chyba při volání ::GetOverlayPosition nebo ::UpdateOverlay !"_cp1250},  // DDERR_NOOVERLAYDEST
    {0x88760243, u8"Špatná pozice (přetečení) !"_cp1250},  // DDERR_INVALIDPOSITION
    {0x88760244, u8"Overlay komponent volán z non-overlay surface !"_cp1250},  // DDERR_NOTAOVERLAYSURFACE
    {0x88760245, u8"Cooperative mode nemohl být nastaven na EXCLUSIVE !"_cp1250},  // DDERR_EXCLUSIVEMODEALREADYSET
    {0x88760246, u8"Surface se nepodařilo FLIPovat !"_cp1250},  // DDERR_NOTFLIPPABLE
    {0x88760247, u8"Chyba duplikace surface !"_cp1250},  // DDERR_CANTDUPLICATE
    {0x88760248, u8"Surface není zamčená (a proto nelze odemčít) !"_cp1250},  // DDERR_NOTLOCKED
    {0x88760249, u8"Chyba vytvoření objektu HDc !"_cp1250},  // DDERR_CANTCREATEDC
    {0x8876024A, u8"Toto Surface nemůže mít HDc !"_cp1250},  // DDERR_NODC
    {0x8876024B, u8"Špatný mód !"_cp1250},  // DDERR_WRONGMODE
    {0x8876024C, u8"Chyba implicitně vytvořeného surface !"_cp1250},  // DDERR_IMPLICITLYCREATED
    {0x8876024D, u8"Surface není Palette-based !"_cp1250},  // DDERR_NOTPALETTIZED
    {0x8876024E, u8"Mode není podporován !"_cp1250},  // DDERR_UNSUPPORTEDMODE
    {0x8876024F, u8"Hardware nepodporuje Mip-Mapping !"_cp1250},  // DDERR_NOMIPMAPHW
    {0x88760250, u8"Špatný typ surface !"_cp1250},  // DDERR_INVALIDSURFACETYPE
    {0x8876026C, u8"Objekt HDc nemohl být vytvořen !"_cp1250},  // DDERR_DCALREADYCREATED
    {0x88760280, u8"Objekt Page nelze uzamknout !"_cp1250},  // DDERR_CANTPAGELOCK
    {0x887602A8, u8"Page není zamčená (a proto nelze odemčít) !"_cp1250},  // DDERR_NOTPAGELOCKED
};

static_assert(sizeof(kErrorTexts) / sizeof(kErrorTexts[0]) == 99);

constexpr const char* kUnknownErrorText = u8"Neidentifikovatelná chyba !"_cp1250;

}  // namespace

char Windows1250Byte(char32_t character) { return Cp1250Byte(character); }

const char* DDErrorText(HRESULT code) {
    const auto key = static_cast<uint32_t>(code);
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == key) {
            return entry.text;
        }
    }
    return kUnknownErrorText;
}
