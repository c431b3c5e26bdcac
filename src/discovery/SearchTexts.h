// The controller search's own words, kept together so the Hungarian wording can be
// read and changed in one place.
#pragma once

namespace voltander {

inline constexpr const char* kSearchCaption = "Kontroller keresése...";
inline constexpr const char* kSearchCancel = "Mégse";
inline constexpr const char* kSearchNoDevice = "Nem található soros eszköz!";
inline constexpr const char* kSearchAsk =
    "A kontroller keresése az alábbi eszközöket próbálja meg:";
inline constexpr const char* kSearchWarning =
    "A port megnyitása egyes eszközöket újraindíthat, és minden eszköz kap egy lekérdezést.";
inline constexpr const char* kSearchQuestion = "Indulhat a keresés?";
inline constexpr const char* kSearchNoController = "Nem válaszolt kontroller!";
inline constexpr const char* kSearchChoose = "Több kontroller válaszolt. Kérem válasszon!";
inline constexpr const char* kSearchLinkFailed = "A port bejegyzése nem sikerült!";
inline constexpr const char* kSearchNewPort = "új port";

inline constexpr const char* kReasonBusy = "foglalt";
inline constexpr const char* kReasonNoAccess = "nincs jogosultság";
inline constexpr const char* kReasonNoAnswer = "nem válaszolt";
inline constexpr const char* kReasonBadFrame = "hibás keret";
inline constexpr const char* kReasonMissing = "nem található";
inline constexpr const char* kReasonFailed = "nem nyitható meg";
inline constexpr const char* kDialoutHint =
    "Soros port használatához a felhasználónak a dialout csoport tagjának kell lennie: "
    "sudo usermod -aG dialout $USER, majd új bejelentkezés.";

}  // namespace voltander
