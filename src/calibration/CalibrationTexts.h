// The calibration window's message texts in one place, word for word as the user
// has always seen them (their spelling included), so the handlers and the tests
// share one copy.
#pragma once

namespace voltander::calibration_text {

inline constexpr const char* kModeRefused =
    "Nincs kapcsolat az Voltanderrel!\r\n"
    "Nem lehet az Voltandert kalibrációs módba helyezni!";

inline constexpr const char* kModeQuestion =
    "Feszültségosztó kalibráció és áram stabilkitási teszt!\r\n\r\n"
    "Csatlakoztassa az akkumulátort és helyezze a jumpert 'Kalibrációs' helyzetbe!\r\n"
    "Az akkumulátor a kalibráció alatt 'Inarmal' árrammal folyamatos töltés alatt lesz!\r\n"
    "Az Voltander beléphet Kalibrációs üzemmódba?";

inline constexpr const char* kProcedure =
    "0.  Helyezze a jumpert Kalibrációs helyzetbe!\r\n"
    "1.  Mérje meg a feszültséget a GND és a jumper középső pontja között!(Vcc)\r\n"
    "2.  A mért értéket válassza ki a 'Vcc:' mezőben.\r\n"
    "3.  A 'Mért:' mezőben megadhatja a kívánt bázisfeszültséget,\r\n"
    "     majd az 'U' kimeneten ellenőrizheti a lehetséges feszültség szinteket.\r\n"
    "4.  A kívánt értékeket tölsefel a 'Feltöltés' segítségével!\r\n"
    "5.  A GND és a 'Teszt' tüske közötti folyamatos méréssel és a trimmer segítségével, "
    "állítsa be a 'Mért:' értéket (Kalibráció)!\r\n"
    "6.  Rakja vissza a jumpert eredeti helyzetébe!\r\n"
    "7.  Majd indítsa újra az Voltandert és ezt a szoftvert!\r\n"
    "\r\n"
    "Kalibrációs üzemmódban az Akku helyére (vagy azzal sorba) kötött ampermérővel "
    "ellenőrizhető a PWM áram stabilizációja (Inormal).";

inline constexpr const char* kUploadRefused =
    "Nincs kapcsolat az Voltanderrel!\r\n"
    "Nem lehet feltölteni. Feszültség értékek tesztcéljából megváltoztatva!";

inline constexpr const char* kUploadDone = "Feltöltés megtörtént.";

// A ratio the controller could not carry back in its status reply.
inline constexpr const char* kRatioOutOfRange =
    "Az osztásarány nem tölthető fel: a 0 és 32,7675 közötti tartományon kívül esik!";

}  // namespace voltander::calibration_text
