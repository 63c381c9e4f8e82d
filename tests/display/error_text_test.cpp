// The Czech error texts: every code of the table, byte for byte in Windows-1250, and the
// default for every other value.
#include <cstdint>
#include <set>

#include "tests/display/display_test_support.h"

namespace {

struct ExpectedText {
    uint32_t code;
    const char* utf8;
};

// The texts as a reader writes them; the test converts them with iconv.
const ExpectedText kTexts[] = {
    {0x80004001, "Operace není podporována !"},
    {0x80004005, "Nedefinovaná chyba !"},
    {0x800401F0, "Požadovaná součást neinicializována !"},
    {0x8007000E, "Málo RAM !"},
    {0x80070057, "Špatné parametry !"},
    {0x88760005, "Objekt nebyl úspěšně inicializován !"},
    {0x8876000A, "Chyba připojení objektu IDirectDrawSurface2 !"},
    {0x88760014, "Chyba odpojení objektu IDirectDrawSurface2  !"},
    {0x88760028, "Nepodporovaná akce !"},
    {0x88760037, "Výjimečný stav !!!"},
    {0x8876005A, "Height align !"},
    {0x8876005F, "Nekompatibilní primary surface !"},
    {0x88760064, "Invalid caps !"},
    {0x8876006E, "Invalid cliplist !"},
    {0x88760078, "DirectDraw nepodporuje tento mód !"},
    {0x88760082, "Použití špatného DDraw objektu !"},
    {0x88760091, "Špatný PixelFormat !"},
    {0x88760096, "Špatný pravoúhelník !"},
    {0x887600A0, "Surface je uzamčené !"},
    {0x887600AA, "Není prezentováno hardwarové 3D !"},
    {0x887600B4, "Není prezentováno alpha hardware urychlení !"},
    {0x887600CD, "Clip list není dostupný !"},
    {0x887600D2, "Tato operace vyžaduje hardware pro barevnou konverzi !"},
    {0x887600D4, "Nenastaveno CooperativeLevel !"},
    {0x887600D7, "Objekt surface nemá správný ColorKey !"},
    {0x887600DC, "Operace nelze provést bez hardware podporujícího ColorKey !"},
    {0x887600DE, "Driver nepodporuje DDraw !"},
    {0x887600E1, "Tato operace vyžaduje EXCLUSIVE mode !"},
    {0x887600E6, "Hardware nepodporuje Surface flipping !"},
    {0x887600F0, "Není prezentováno GDI !"},
    {0x887600FA, "Hardware nepodporuje Mirrors !"},
    {0x887600FF, "Požadovaná součást nenalezena !"},
    {0x88760104, "Hardware nepodporuje Overlay !"},
    {0x88760118, "Neuskutečnitelná hardwarová raster operace !"},
    {0x88760122, "Hardware nepodporuje Rotace !"},
    {0x88760136, "Hardware nepodporuje Stretching !"},
    {0x8876013C, "Operace požaduje 4-Bit paletu !"},
    {0x8876013D, "Operace vyžaduje 4-Bit barevný index !"},
    {0x88760140, "Operace požaduje 8-Bit paletu !"},
    {0x8876014A, "Hardware nepodporuje texturing !"},
    {0x8876014F, "Hardware nepodporuje vertikální synchronizaci !"},
    {0x88760154, "Hardware nepodporuje Z-Buffer !"},
    {0x8876015E, "Hardware nepodporuje Z-Overlay !"},
    {0x88760168, "Operace potřebuje více fyzické paměti pro alokaci !"},
    {0x8876017C, "Málo Video-RAM ! !"},
    {0x8876017E, "Hardware nepodporuje Clipped Overlays !"},
    {0x88760180, "Na overlay je aktivní jen 1 ColorKey !"},
    {0x88760183, "V této chvíli je paleta nepřístupná (zkuste to za 10 min.) !"},
    {0x88760190, "Pro operaci nebyl specifikován ColorKey !"},
    {0x8876019A, "Surface nelze napojit !"},
    {0x887601A4, "Surface napojená na jinou nemůže být závislá !"},
    {0x887601AE, "Surface nyní není k dispozici (zkuste to za 10 min.) !"},
    {0x887601B3, "Objekt Surface nelze uzamknout !"},
    {0x887601B8, "Přístup k surface byl odmítnut !"},
    {0x887601C2, "Přístup k surface byl ztracen !"},
    {0x887601CC, "Požadovaná surface není závislá !"},
    {0x887601D6, "Height je příliš velká !"},
    {0x887601E0, "Velikost je příliš velká !"},
    {0x887601EA, "Width je příliš velká !"},
    {0x887601FE, "Formát není podporován !"},
    {0x88760208, "BitMask není podporována !"},
    {0x88760219, "Vertikální místo se zpracovává !"},
    {0x8876021C, "Před BLIT se při transferu stala chyba !"},
    {0x88760230, "Pravoúhelník nemůže být horizontálně zarovnán !"},
    {0x88760231, "Špatný DDraw GUID (verze) !"},
    {0x88760232, "Objekt DirectDraw nemohl být vytvořen !"},
    {0x88760233, "Hardware nepodporuje DDraw !"},
    {0x88760234, "Tento proces vyžaduje primary surface !"},
    {0x88760235, "Nenalezen emulační software !"},
    {0x88760236, "Region zadaný funkci IDirectDrawClipper::GetClipList  je příliš malý !"},
    {0x88760237, "Objekt DirectDrawClipper právě využívá třída HWND!"},
    {0x88760238, "Clipper není připojen k surface !"},
    {0x88760239, "Tato funkce potřebuje správné Hwnd !"},
    {0x8876023A, "Hwnd bylo Subclassed !"},
    {0x8876023B, "Cooperative mode nemohl být nastaven !"},
    {0x8876023C, "K Surface nebyla připojena paleta !"},
    {0x8876023D, "Hardware nepodporuje 16(256) - barevné palety !"},
    {0x8876023E, "Chyba funkce IDirectDrawSurface2::BltFast !"},
    {0x8876023F, "Není prezentován hardware Blitting !"},
    {0x88760240, "Hardware nepodporuje DirectDrawRops !"},
    {0x88760241, "Metoda IDirectDrawSurface2::GetOverlayPosition je volaná pro skrytý overlay !"},
    {0x88760242, "Chyba při volání ::GetOverlayPosition nebo ::UpdateOverlay !"},
    {0x88760243, "Špatná pozice (přetečení) !"},
    {0x88760244, "Overlay komponent volán z non-overlay surface !"},
    {0x88760245, "Cooperative mode nemohl být nastaven na EXCLUSIVE !"},
    {0x88760246, "Surface se nepodařilo FLIPovat !"},
    {0x88760247, "Chyba duplikace surface !"},
    {0x88760248, "Surface není zamčená (a proto nelze odemčít) !"},
    {0x88760249, "Chyba vytvoření objektu HDc !"},
    {0x8876024A, "Toto Surface nemůže mít HDc !"},
    {0x8876024B, "Špatný mód !"},
    {0x8876024C, "Chyba implicitně vytvořeného surface !"},
    {0x8876024D, "Surface není Palette-based !"},
    {0x8876024E, "Mode není podporován !"},
    {0x8876024F, "Hardware nepodporuje Mip-Mapping !"},
    {0x88760250, "Špatný typ surface !"},
    {0x8876026C, "Objekt HDc nemohl být vytvořen !"},
    {0x88760280, "Objekt Page nelze uzamknout !"},
    {0x887602A8, "Page není zamčená (a proto nelze odemčít) !"},
};

const std::string kUnknownText = "Neidentifikovatelná chyba !";

TEST(ErrorTextTest, EveryCodeHasItsOwnText) {
    ASSERT_EQ(std::size(kTexts), 99u);
    std::set<std::string> seen;
    for (const ExpectedText& expected : kTexts) {
        const std::string text = DDErrorText(static_cast<HRESULT>(expected.code));
        EXPECT_EQ(text, Cp1250(expected.utf8)) << std::hex << expected.code;
        EXPECT_TRUE(seen.insert(text).second) << "shared text: " << expected.utf8;
    }
}

TEST(ErrorTextTest, CodesOutsideTheTableGiveTheDefault) {
    const uint32_t codes[] = {0, 1, 0x88760001, 0x887601C3, 0x087601C2, 0x887611C2, 0x8007000F, 0xFFFFFFFF};
    for (uint32_t code : codes) {
        EXPECT_EQ(DDErrorText(static_cast<HRESULT>(code)), Cp1250(kUnknownText)) << std::hex << code;
    }
}

TEST(ErrorTextTest, CzechLettersAreSingleBytes) {
    EXPECT_EQ(std::string(DDErrorText(DDERR_OUTOFMEMORY)), "\x4D\xE1\x6C\x6F\x20\x52\x41\x4D\x20\x21");
    EXPECT_EQ(std::string(DDErrorText(DDERR_SURFACELOST)), "P\xF8\xEDstup k surface byl ztracen !");
    EXPECT_EQ(std::string(DDErrorText(0)), "Neidentifikovateln\xE1 chyba !");
}

}  // namespace
