#pragma once

// Names of controls that more than one part of the program refers to: a
// rename here fails to compile where a name is used, not at run time.
namespace gravik::names {

// The main window.
inline constexpr char PrintButton[] = "Image5";   // opens the print dialog
inline constexpr char UpdateButton[] = "Image1";  // rebuilds the pupil list
inline constexpr char PupilList[] = "Combo12";

// Windows and their controls the language reaches from outside.
inline constexpr char DatabaseWindow[] = "Baza";
inline constexpr char RussianOption[] = "Option1";
inline constexpr char KazakhOption[] = "Option2";

} // namespace gravik::names
