#pragma once
// The texts of importing: the two failure messages, their caption and the chooser's own texts
// are fixed texts of the receiver's import window, the same in every language.
#include <string>
#include <string_view>

#include "exchange/import_file.h"

namespace cs {

// Failure 1 (the file cannot be opened) and failure 2 (it cannot be interpreted), for a file
// name; empty for any other code.
std::string importFailureMessage(ImportReadResult failure, std::string_view fileName);
// The caption of both failure messages.
std::string importFailureCaption();

// Fixed texts of the chooser window.
namespace chooser_text {
inline constexpr std::string_view kChannelBase = "Baza programów (%ld)";
inline constexpr std::string_view kTransponderList = "Lista transponderów";
inline constexpr std::string_view kColourProfiles = "Palety kolorów ...";
inline constexpr std::string_view kReceiverSettings = "Ustawienia odbiornika ...";
inline constexpr std::string_view kColourProfile = "Profil kolorów ";  // followed by 1..4
inline constexpr std::string_view kIndividualSettings = "Indywidualne ustawienia odbiornika";
inline constexpr std::string_view kSatelliteParameters = "Parametry satelit / konwerterów";
inline constexpr std::string_view kPreferredSettings = "Ustawienia preferowane";
inline constexpr std::string_view kTimerSettings = "Ustawienia timera";
inline constexpr std::string_view kNothingChosen = "Nie wybrano żadnego składnika";
inline constexpr std::string_view kNothingChosenCaption = "Błąd";
inline constexpr std::string_view kNoDescription = "Brak opis pliku.";
inline constexpr std::string_view kFrameCaption = "Import pliku";
inline constexpr std::string_view kExplanation =
    "Ten plik importowy zawiera wyświetlone niżej składniki\nAby wczytać składniki kliknij pole wyboru, "
    "możesz także wczytać tylko interesującą cię część składnika. W tym celu naciśnij guzik Szczegóły lub "
    "kliknij dwukrotnie nazwę składnika (tylko jeżeli w nazwie składnika na końcu występują 3 kropki). \nDane "
    "z wybranych składników zostaną automatycznie przeniesione do aktualnie edytowanego pliku bazy programów.";
inline constexpr std::string_view kComponentsCaption = "Dostępne składniki";
inline constexpr std::string_view kDescriptionCaption = "Opis pliku. Maksymalnie 255 znaków";
inline constexpr std::string_view kOk = "&Ok";
inline constexpr std::string_view kCancel = "&Anuluj";
inline constexpr std::string_view kDetails = "Sz&czegóły";
inline constexpr std::string_view kDescription = "&Wiadomość";
inline constexpr std::string_view kBack = "&Wróć";
} // namespace chooser_text

} // namespace cs
