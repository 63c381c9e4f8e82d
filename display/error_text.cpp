// The Czech texts that the display set-up log gives for DirectDraw result codes.
// This file is compiled with -fexec-charset=CP1250: the texts are UTF-8 here and Windows-1250 in the program.
#include "display/display.h"

#include <cstdint>

// Guards against a build that leaves the texts in UTF-8: in Windows-1250 every Czech letter is one byte.
static_assert(sizeof("á") == 2, "error_text.cpp must be compiled with -fexec-charset=CP1250");

namespace {

struct ErrorText {
    uint32_t code;
    const char* text;
};

// Keyed by all 32 bits, severity and facility included.
constexpr ErrorText kErrorTexts[] = {
    {0x80004001, "Operace není podporována !"},  // DDERR_UNSUPPORTED
    {0x80004005, "Nedefinovaná chyba !"},  // DDERR_GENERIC
    {0x800401F0, "Požadovaná součást neinicializována !"},  // DDERR_NOTINITIALIZED
    {0x8007000E, "Málo RAM !"},  // DDERR_OUTOFMEMORY
    {0x80070057, "Špatné parametry !"},  // DDERR_INVALIDPARAMS
    {0x88760005, "Objekt nebyl úspěšně inicializován !"},  // DDERR_ALREADYINITIALIZED
    {0x8876000A, "Chyba připojení objektu IDirectDrawSurface2 !"},  // DDERR_CANNOTATTACHSURFACE
    {0x88760014, "Chyba odpojení objektu IDirectDrawSurface2  !"},  // DDERR_CANNOTDETACHSURFACE
    {0x88760028, "Nepodporovaná akce !"},  // DDERR_CURRENTLYNOTAVAIL
    {0x88760037, "Výjimečný stav !!!"},  // DDERR_EXCEPTION
    {0x8876005A, "Height align !"},  // DDERR_HEIGHTALIGN
    {0x8876005F, "Nekompatibilní primary surface !"},  // DDERR_INCOMPATIBLEPRIMARY
    {0x88760064, "Invalid caps !"},  // DDERR_INVALIDCAPS
    {0x8876006E, "Invalid cliplist !"},  // DDERR_INVALIDCLIPLIST
    {0x88760078, "DirectDraw nepodporuje tento mód !"},  // DDERR_INVALIDMODE
    {0x88760082, "Použití špatného DDraw objektu !"},  // DDERR_INVALIDOBJECT
    {0x88760091, "Špatný PixelFormat !"},  // DDERR_INVALIDPIXELFORMAT
    {0x88760096, "Špatný pravoúhelník !"},  // DDERR_INVALIDRECT
    {0x887600A0, "Surface je uzamčené !"},  // DDERR_LOCKEDSURFACES
    {0x887600AA, "Není prezentováno hardwarové 3D !"},  // DDERR_NO3D
    {0x887600B4, "Není prezentováno alpha hardware urychlení !"},  // DDERR_NOALPHAHW
    {0x887600CD, "Clip list není dostupný !"},  // DDERR_NOCLIPLIST
    {0x887600D2, "Tato operace vyžaduje hardware pro barevnou konverzi !"},  // DDERR_NOCOLORCONVHW
    {0x887600D4, "Nenastaveno CooperativeLevel !"},  // DDERR_NOCOOPERATIVELEVELSET
    {0x887600D7, "Objekt surface nemá správný ColorKey !"},  // DDERR_NOCOLORKEY
    {0x887600DC, "Operace nelze provést bez hardware podporujícího ColorKey !"},  // DDERR_NOCOLORKEYHW
    {0x887600DE, "Driver nepodporuje DDraw !"},  // DDERR_NODIRECTDRAWSUPPORT
    {0x887600E1, "Tato operace vyžaduje EXCLUSIVE mode !"},  // DDERR_NOEXCLUSIVEMODE
    {0x887600E6, "Hardware nepodporuje Surface flipping !"},  // DDERR_NOFLIPHW
    {0x887600F0, "Není prezentováno GDI !"},  // DDERR_NOGDI
    {0x887600FA, "Hardware nepodporuje Mirrors !"},  // DDERR_NOMIRRORHW
    {0x887600FF, "Požadovaná součást nenalezena !"},  // DDERR_NOTFOUND
    {0x88760104, "Hardware nepodporuje Overlay !"},  // DDERR_NOOVERLAYHW
    {0x88760118, "Neuskutečnitelná hardwarová raster operace !"},  // DDERR_NORASTEROPHW
    {0x88760122, "Hardware nepodporuje Rotace !"},  // DDERR_NOROTATIONHW
    {0x88760136, "Hardware nepodporuje Stretching !"},  // DDERR_NOSTRETCHHW
    {0x8876013C, "Operace požaduje 4-Bit paletu !"},  // DDERR_NOT4BITCOLOR
    {0x8876013D, "Operace vyžaduje 4-Bit barevný index !"},  // DDERR_NOT4BITCOLORINDEX
    {0x88760140, "Operace požaduje 8-Bit paletu !"},  // DDERR_NOT8BITCOLOR
    {0x8876014A, "Hardware nepodporuje texturing !"},  // DDERR_NOTEXTUREHW
    {0x8876014F, "Hardware nepodporuje vertikální synchronizaci !"},  // DDERR_NOVSYNCHW
    {0x88760154, "Hardware nepodporuje Z-Buffer !"},  // DDERR_NOZBUFFERHW
    {0x8876015E, "Hardware nepodporuje Z-Overlay !"},  // DDERR_NOZOVERLAYHW
    {0x88760168, "Operace potřebuje více fyzické paměti pro alokaci !"},  // DDERR_OUTOFCAPS
    {0x8876017C, "Málo Video-RAM ! !"},  // DDERR_OUTOFVIDEOMEMORY
    {0x8876017E, "Hardware nepodporuje Clipped Overlays !"},  // DDERR_OVERLAYCANTCLIP
    {0x88760180, "Na overlay je aktivní jen 1 ColorKey !"},  // DDERR_OVERLAYCOLORKEYONLYONEACTIVE
    {0x88760183, "V této chvíli je paleta nepřístupná (zkuste to za 10 min.) !"},  // DDERR_PALETTEBUSY
    {0x88760190, "Pro operaci nebyl specifikován ColorKey !"},  // DDERR_COLORKEYNOTSET
    {0x8876019A, "Surface nelze napojit !"},  // DDERR_SURFACEALREADYATTACHED
    {0x887601A4, "Surface napojená na jinou nemůže být závislá !"},  // DDERR_SURFACEALREADYDEPENDENT
    {0x887601AE, "Surface nyní není k dispozici (zkuste to za 10 min.) !"},  // DDERR_SURFACEBUSY
    {0x887601B3, "Objekt Surface nelze uzamknout !"},  // DDERR_CANTLOCKSURFACE
    {0x887601B8, "Přístup k surface byl odmítnut !"},  // DDERR_SURFACEISOBSCURED
    {0x887601C2, "Přístup k surface byl ztracen !"},  // DDERR_SURFACELOST
    {0x887601CC, "Požadovaná surface není závislá !"},  // DDERR_SURFACENOTATTACHED
    {0x887601D6, "Height je příliš velká !"},  // DDERR_TOOBIGHEIGHT
    {0x887601E0, "Velikost je příliš velká !"},  // DDERR_TOOBIGSIZE
    {0x887601EA, "Width je příliš velká !"},  // DDERR_TOOBIGWIDTH
    {0x887601FE, "Formát není podporován !"},  // DDERR_UNSUPPORTEDFORMAT
    {0x88760208, "BitMask není podporována !"},  // DDERR_UNSUPPORTEDMASK
    {0x88760219, "Vertikální místo se zpracovává !"},  // DDERR_VERTICALBLANKINPROGRESS
    {0x8876021C, "Před BLIT se při transferu stala chyba !"},  // DDERR_WASSTILLDRAWING
    {0x88760230, "Pravoúhelník nemůže být horizontálně zarovnán !"},  // DDERR_XALIGN
    {0x88760231, "Špatný DDraw GUID (verze) !"},  // DDERR_INVALIDDIRECTDRAWGUID
    {0x88760232, "Objekt DirectDraw nemohl být vytvořen !"},  // DDERR_DIRECTDRAWALREADYCREATED
    {0x88760233, "Hardware nepodporuje DDraw !"},  // DDERR_NODIRECTDRAWHW
    {0x88760234, "Tento proces vyžaduje primary surface !"},  // DDERR_PRIMARYSURFACEALREADYEXISTS
    {0x88760235, "Nenalezen emulační software !"},  // DDERR_NOEMULATION
    {0x88760236, "Region zadaný funkci IDirectDrawClipper::GetClipList  je příliš malý !"},  // DDERR_REGIONTOOSMALL
    {0x88760237, "Objekt DirectDrawClipper právě využívá třída HWND!"},  // DDERR_CLIPPERISUSINGHWND
    {0x88760238, "Clipper není připojen k surface !"},  // DDERR_NOCLIPPERATTACHED
    {0x88760239, "Tato funkce potřebuje správné Hwnd !"},  // DDERR_NOHWND
    {0x8876023A, "Hwnd bylo Subclassed !"},  // DDERR_HWNDSUBCLASSED
    {0x8876023B, "Cooperative mode nemohl být nastaven !"},  // DDERR_HWNDALREADYSET
    {0x8876023C, "K Surface nebyla připojena paleta !"},  // DDERR_NOPALETTEATTACHED
    {0x8876023D, "Hardware nepodporuje 16(256) - barevné palety !"},  // DDERR_NOPALETTEHW
    {0x8876023E, "Chyba funkce IDirectDrawSurface2::BltFast !"},  // DDERR_BLTFASTCANTCLIP
    {0x8876023F, "Není prezentován hardware Blitting !"},  // DDERR_NOBLTHW
    {0x88760240, "Hardware nepodporuje DirectDrawRops !"},  // DDERR_NODDROPSHW
    {0x88760241, "Metoda IDirectDrawSurface2::GetOverlayPosition je volaná pro skrytý overlay !"},  // DDERR_OVERLAYNOTVISIBLE
    {0x88760242, "Chyba při volání ::GetOverlayPosition nebo ::UpdateOverlay !"},  // DDERR_NOOVERLAYDEST
    {0x88760243, "Špatná pozice (přetečení) !"},  // DDERR_INVALIDPOSITION
    {0x88760244, "Overlay komponent volán z non-overlay surface !"},  // DDERR_NOTAOVERLAYSURFACE
    {0x88760245, "Cooperative mode nemohl být nastaven na EXCLUSIVE !"},  // DDERR_EXCLUSIVEMODEALREADYSET
    {0x88760246, "Surface se nepodařilo FLIPovat !"},  // DDERR_NOTFLIPPABLE
    {0x88760247, "Chyba duplikace surface !"},  // DDERR_CANTDUPLICATE
    {0x88760248, "Surface není zamčená (a proto nelze odemčít) !"},  // DDERR_NOTLOCKED
    {0x88760249, "Chyba vytvoření objektu HDc !"},  // DDERR_CANTCREATEDC
    {0x8876024A, "Toto Surface nemůže mít HDc !"},  // DDERR_NODC
    {0x8876024B, "Špatný mód !"},  // DDERR_WRONGMODE
    {0x8876024C, "Chyba implicitně vytvořeného surface !"},  // DDERR_IMPLICITLYCREATED
    {0x8876024D, "Surface není Palette-based !"},  // DDERR_NOTPALETTIZED
    {0x8876024E, "Mode není podporován !"},  // DDERR_UNSUPPORTEDMODE
    {0x8876024F, "Hardware nepodporuje Mip-Mapping !"},  // DDERR_NOMIPMAPHW
    {0x88760250, "Špatný typ surface !"},  // DDERR_INVALIDSURFACETYPE
    {0x8876026C, "Objekt HDc nemohl být vytvořen !"},  // DDERR_DCALREADYCREATED
    {0x88760280, "Objekt Page nelze uzamknout !"},  // DDERR_CANTPAGELOCK
    {0x887602A8, "Page není zamčená (a proto nelze odemčít) !"},  // DDERR_NOTPAGELOCKED
};

static_assert(sizeof(kErrorTexts) / sizeof(kErrorTexts[0]) == 99);

constexpr const char* kUnknownErrorText = "Neidentifikovatelná chyba !";

}  // namespace

const char* DDErrorText(HRESULT code) {
    const auto key = static_cast<uint32_t>(code);
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == key) {
            return entry.text;
        }
    }
    return kUnknownErrorText;
}
