// The user-interface texts in French, English, Spanish and German. Each table stores all
// French entries first, then English, Spanish and German, so entry k (1-based) of language L
// is element (L - 1) * K + k - 1 for a table of K entries per language. The texts are kept
// byte for byte as users have always seen them, slips of spelling and spacing included.
#include "core/LanguageTables.h"

#include "core/TableTexts.h"

#include <array>
#include <cstddef>
#include <iterator>

namespace lumivox {

namespace {

constexpr int kLanguageCount = 4;

// File menu: 9 entries per language.
constexpr const char* kFileMenu[] = {
    // French
    "&Fichier",
    "&Nouveau Projet",
    "&Propriétés du Projet...",
    "&Ouvrir",
    "&Enregistrer",
    "Enregistrer &sous...",
    "&Créer un fichier Seq",
    "&Quitter",
    "&Remplacer le fichier MP3...",
    // English
    "&File",
    "&New Project",
    "&Project Properties...",
    "&Open",
    "&Save",
    "Save &as...",
    "&Create Seq File",
    "E&xit",
    "&Replace MP3 File...",
    // Spanish
    "Archivo",
    "Nuevo Proyecto",
    "Propiedades de Proyecto",
    "Abrir",
    "Guardar",
    "Guardar como...",
    "Crear archivo 'Seq'",
    "Salir",
    "&Replace MP3 File...",
    // German
    "Datei",
    "Neues Projekt",
    "Projekteingeschaften...",
    "Öffnen",
    "Speichern",
    "Speichern unter...",
    "Datei Seq erzeugen",
    "Beenden",
    "&Replace MP3 File...",
};

// Edit menu: 13 entries per language.
constexpr const char* kEditMenu[] = {
    // French
    "&Edition",
    "&Nouvelle Piste",
    "&Supprimer Piste",
    "&Couper",
    "C&opier",
    "Co&ller",
    "Sélectionner &Tout",
    "Outils &Editeur",
    "Mode &Crayon",
    "Mode &Gomme",
    "Mode &Valeur",
    "&Défaire",
    "&Refaire",
    // English
    "&Edit",
    "&New Track",
    "&Delete Track",
    "Cu&t",
    "&Copy",
    "&Paste",
    "Select &All",
    "&Editor Tools",
    "&Draw mode",
    "&Rubber mode",
    "Draw-&Value mode",
    "Undo",
    "Redo",
    // Spanish
    "Editar",
    "Nueva Pista",
    "Borrar Pista",
    "Cortar",
    "Copiar",
    "Pegar",
    "Seleccionar Todo",
    "Herramientas de Editor",
    "Modo Dibujo",
    "Modo Borrado",
    "Modo Valor-Dibujo",
    "Undo",
    "Redo",
    // German
    "Bearbeiten",
    "Neue Spur",
    "Spur löschen",
    "Ausschneiden",
    "Kopieren",
    "Einfügen",
    "Alles auswählen",
    "Bearbeitungseinstellungen",
    "Ziehmodus",
    "Gummimodus",
    "Bewertungsmodus",
    "Undo",
    "Redo",
};

// RS232 menu: 9 entries per language.
constexpr const char* kRs232Menu[] = {
    // French
    "RS232",
    "&Mode Temps Réel",
    "&Port COM de sortie",
    "COM &1",
    "COM &2",
    "COM &3",
    "COM &4",
    "COM &5",
    "COM &6",
    // English
    "RS232",
    "&Real Time Mode",
    "&Output Port COM",
    "COM &1",
    "COM &2",
    "COM &3",
    "COM &4",
    "COM &5",
    "COM &6",
    // Spanish
    "RS232",
    "Modo Tiempo Real",
    "Salida Puerto COM",
    "COM 1",
    "COM 2",
    "COM 3",
    "COM 4",
    "COM 5",
    "COM 6",
    // German
    "RS232",
    "Real-Time-Modus",
    "Ausgang - Port COM",
    "COM &1",
    "COM &2",
    "COM &3",
    "COM &4",
    "COM &5",
    "COM &6",
};

// Language menu: 5 entries per language.
constexpr const char* kLanguageMenu[] = {
    // French
    "&Langue",
    "&English",
    "&Français",
    "E&spañol",
    "&Deutsch",
    // English
    "&Language",
    "&English",
    "&Français",
    "E&spañol",
    "&Deutsch",
    // Spanish
    "&Idioma",
    "&English",
    "&Français",
    "E&spañol",
    "&Deutsch",
    // German
    "Sprache",
    "English",
    "Français",
    "E&spañol",
    "&Deutsch",
};

// Help menu: 2 entries per language.
constexpr const char* kHelpMenu[] = {
    // French
    "&Aide",
    "&A propos...",
    // English
    "&Help",
    "&About...",
    // Spanish
    "Ayuda",
    "Sobre...",
    // German
    "Hilfe",
    "Über...",
};

// Options menu: 3 entries per language.
constexpr const char* kOptionsMenu[] = {
    // French
    "&Options",
    "Entrée MIDI",
    "(Aucune)",
    // English
    "&Options",
    "MIDI Input",
    "(None)",
    // Spanish
    "&Options",
    "MIDI Input",
    "(None)",
    // German
    "Möglichkeiten",
    "MIDI-Eingang",
    "(Kein)",
};

// Type and output menu: 4 entries per language.
constexpr const char* kTypeOutputMenu[] = {
    // French
    "&Type",
    "&Proportionnel",
    "&Tout ou Rien",
    "&Tout",
    // English
    "&Type",
    "&Proportional",
    "&On/Off",
    "&All",
    // Spanish
    "Tipo",
    "Proporcional",
    "On/Off",
    "Todo",
    // German
    "Typ",
    "Proportional",
    "On/Off",
    "Alles",
};

// Track menu: 20 entries per language.
constexpr const char* kTrackMenu[] = {
    // French
    "&Mute",
    "&Solo",
    "&Couper",
    "C&opier",
    "Co&ller",
    "S&upprimer Piste",
    "Couleu&r",
    "Couleur &1",
    "Couleur &2",
    "Couleur &3",
    "Couleur &4",
    "Couleur &5",
    "Couleur &6",
    "Couleur &7",
    "Couleur &8",
    "Couleur &9",
    "Couleur &10",
    "Couleur &11",
    "Propriétés",
    "Descripteur M&IDI",
    // English
    "&Mute",
    "&Solo",
    "Cu&t",
    "&Copy",
    "&Paste",
    "&Delete Track",
    "Co&lor",
    "Color &1",
    "Color &2",
    "Color &3",
    "Color &4",
    "Color &5",
    "Color &6",
    "Color &7",
    "Color &8",
    "Color &9",
    "Color &10",
    "Color &11",
    "Properties",
    "M&IDI Mapping",
    // Spanish
    "Mute",
    "Solo",
    "Cortar",
    "Copiar",
    "Pegar",
    "Borrar Pista",
    "Color",
    "Color 1",
    "Color 2",
    "Color 3",
    "Color 4",
    "Color 5",
    "Color 6",
    "Color 7",
    "Color 8",
    "Color 9",
    "Color 10",
    "Color 11",
    "Propiedades",
    "M&IDI Mapping",
    // German
    "Lautlos",
    "Solo",
    "Ausschneiden",
    "Kopieren",
    "Einfügen",
    "Spur löschen",
    "Farbe",
    "Farbe &1",
    "Farbe &2",
    "Farbe &3",
    "Farbe &4",
    "Farbe &5",
    "Farbe &6",
    "Farbe &7",
    "Farbe &8",
    "Farbe &9",
    "Farbe &10",
    "Farbe &11",
    "Eigenschaften",
    "MIDI Mapping",
};

// Status labels: 3 entries per language.
constexpr const char* kStatusLabels[] = {
    // French
    "Temps : ",
    "Valeur :",
    "Résolution  :",
    // English
    "Time : ",
    "Value :",
    "Resolution  :",
    // Spanish
    "Tiempo:",
    "Valor:",
    "Resolución:",
    // German
    "Zeit :",
    "Wert :",
    "Auflösung :",
};

// Tool bar hints: 16 entries per language.
constexpr const char* kToolBarHints[] = {
    // French
    "Aller au début du morceau",
    "Lecture",
    "Stop",
    "Pause",
    "Aller à la fin du morceau",
    "Mode Temps Réel",
    "Mode Crayon",
    "Mode Gomme",
    "Mode Valeur",
    "Valeur choisie pour le Mode Valeur",
    "Mode Sélection",
    "Zoom Horizontal +",
    "Zoom Horizontal -",
    "Zoom Vertical +",
    "Zoom Vertical -",
    "Enregistrer",
    // English
    "Go to beginning of song",
    "Play",
    "Stop",
    "Pause",
    "Go to end of song",
    "Real Time Mode",
    "Draw Mode",
    "Rubber mode",
    "Draw-Value mode",
    "Selected value of the Draw-value mode",
    "Selection mode",
    "Horizontal zoom +",
    "Horizontal zoom -",
    "Vertical zoom +",
    "Vertical zoom -",
    "Record",
    // Spanish
    "Ir al principio del tema",
    "Play",
    "Stop",
    "Pausa",
    "Ir al final del tema",
    "Modo tiempo real",
    "Modo Dibujo",
    "Modo Borrado",
    "Modo Valor- Dibujo",
    "Valor seleccionado del modo Valor-Dibujo",
    "Modo Selección",
    "Zoom Horizontal +",
    "Zoom Horizontal -",
    "Zoom Vertical +",
    "Zoom Vertical -",
    "Record",
    // German
    "Geh an den Anfang des Liedes",
    "Play",
    "Stop",
    "Pause",
    "Geh an das Ende des Liedes",
    "Real-Time-Modus",
    "Ziehmodus",
    "Gummimodus",
    "Bewertigungsmodus",
    "Ausgewähltes Wert des Bewertigungsmodus",
    "Auswahlmodus",
    "Horizontaler Zoom +",
    "Horizontaler Zoom -",
    "Vertikaler Zoom +",
    "Vertikaler Zoom -",
    "Speichern",
};

// Common texts: 16 entries per language.
constexpr const char* kCommonTexts[] = {
    // French
    "Nouveau Projet",
    "Piste ",
    "Suppression de piste(s)...",
    "Processus d'exportation des données...",
    "Tri des données exportées, veulliez patienter...",
    "Tout",
    "Verrouiller",
    "Muter",
    "Solo",
    "Armer la piste en enregistrement",
    "Type/Sortie",
    "Processus Défaire...",
    "Processus Refaire...",
    "Processus Couper...",
    "Processus Coller...",
    "Processus Redimensionner...",
    // English
    "New Project",
    "Track ",
    "Deleting track(s)...",
    "Processing Exported Data...",
    "Sorting Exported Data, please wait...",
    "All",
    "Lock",
    "Mute",
    "Solo",
    "Arm track for record",
    "Type/Output",
    "Processing Undo...",
    "Processing Redo...",
    "Processing Cut...",
    "Processing Paste...",
    "Processing Resize...",
    // Spanish
    "Nuevo Proyecto",
    "Pista",
    "Borrar Pista(s)",
    "Procesando Datos Exportados",
    "Clasificando Datos Exportados, por favor espere",
    "Todo",
    "Lock",
    "Mute",
    "Solo",
    "Arm track for record",
    "Type/Output",
    "Processing Undo...",
    "Processing Redo...",
    "Processing Cut...",
    "Processing Paste...",
    "Processing Resize...",
    // German
    "Neues Projekt",
    "Spur",
    "Löschen der Spur(en)...",
    "Export der Daten...",
    "Sortierung der exportierten Daten, Warten Sie bitte",
    "Alles",
    "Sperren",
    "Stummschalten",
    "Solo",
    "Spur zur Speicherung armieren",
    "Typ/Ausgang",
    "Processing Undo...",
    "Processing Redo...",
    "Processing Cut...",
    "Processing Paste...",
    "Processing Resize...",
};

// Messages: 15 entries per language.
constexpr const char* kMessages[] = {
    // French
    "Vous ne pouvez plus ajouter de piste(s)!",
    "Aucun fichier MP3 n'est encore chargé!",
    "Le fichier MP3 n'existe pas!",
    "Voulez-vous supprimer la ou les piste(s) sélectionée(s)?",
    "Aucune piste n'existe!",
    "Vous ne pouvez pas créer plus d'événements!",
    "Erreur d'ouverture sur le Port COM Port : ",
    "Erreur de fermeture sur le Port COM : ",
    "Erreur d'écriture sur le port COM : ",
    "Le fichier MP3 n'existe pas ou n'a pas été sélectionné!",
    "Le projet actuel a été modifié. Voulez-vous sauvegarder ces changements?",
    " existe déjà. Voulez-vous remplacer ce fichier?",
    "Processus terminé! Mais il y a trop d'événements dans votre projet pour la mémoire disponible "
    "du lecteur Vostrel, une partie de ces informations sera perdue!",
    "Processus terminé!",
    "Attention! Cette opération peu provoquer la perte d'évenements à la fin de la séquence si la "
    "durée du nouveau fichier MP3 est inférieure à celle du fichier actuel. Voulez-vous changer le "
    "fichier MP3 actuellement utilisé dans votre projet?",
    // English
    "You cannot add more track(s)!",
    "No MP3 file loaded!",
    "MP3 file does not exist!",
    "Do you want to delete the selected track(s)?",
    "No track(s) exists!",
    "No more event(s) can be create!",
    "Opening Error on COM Port : ",
    "Closing Error on COM port : ",
    "Writing Error on COM port : ",
    "MP3 File does not exist or not selected!",
    "The current project has been modified. Do you want to save these changes?",
    " already exists. Do you want to replace this file?",
    "Process done! But there are too many events in your project for the memory available on "
    "Vostrel Player, some information will be lost!",
    "Process done!",
    "Attention! This operation could delete events in the end of the sequence if the new MP3 file "
    "duration is inferior to the actual duration MP3 file. Do you want to change the actual MP3 "
    "file of your project?",
    // Spanish
    "No se pueden añadir más pistas",
    "No se ha cargado un archivo MP3",
    "El archivo MP3 no existe",
    "¿Desea borrar las pistas seleccionadas?",
    "No existen pistas",
    "No pueden crearse más eventos",
    "Error de apertura del Puerto COM",
    "Error de cierre del Puerto COM",
    "Error de escritura en el Puerto COM",
    "Archivo MP3 no existe o no está seleccionado",
    "El proyecto actual has sido modificado. ¿Desea guardar los cambios?",
    "Ya existe. ¿Desea reemplazar el archivo?",
    "Proceso realizado, pero hay demasiados eventos en el proyecto para la memoria disponible en "
    "el reproductor Vostrel, parte de la  información podría perderse.",
    "Proceso realizado",
    "Attention! This operation could delete events in the end of the sequence if the new MP3 file "
    "duration is inferior to the actual duration MP3 file. Do you want to change the actual MP3 "
    "file of your project?",
    // German
    "Sie können keine Spuren mehr hinfügen!",
    "Keine MP3 Datei geladen!",
    "Die MP3 Datei existiert nicht",
    "Wünschen Sie die ausgewählte Spur zu löschen?",
    "Keine Spur(en) vorhanden",
    "Sie können kein Ereignis mehr hinzufügen!",
    "Öffnungsfehler am Port COM: ",
    "Schließungsfehler am Port COM: ",
    "Schreibfehler am Port COM: ",
    "MP3 Datei existiert nicht oder war nicht ausgewählt!",
    "Aktuelles Projekt wurde geändert. Wünschen Sie die Änderungen zu speichern?",
    " schon vorhanden. Wünschen Sie die Datei zu ersetzen?",
    "Prozess erledigt! Aber es gibt zu viele Ereignisse in Ihrem Projekt für den Speicher "
    "verfügbar am Vostrel Player. Einige Daten werden verloren sein!",
    " Prozess erledigt!",
    "Attention! This operation could delete events in the end of the sequence if the new MP3 file "
    "duration is inferior to the actual duration MP3 file. Do you want to change the actual MP3 "
    "file of your project?",
};

// Project Properties dialog: 10 entries per language.
constexpr const char* kProjectProperties[] = {
    // French
    "Propriétés du Projet",
    " Nom du Projet :",
    " Résolution :",
    " Fichier MP3 :",
    " Sujet :",
    " Auteur :",
    " Copyright :",
    " Client :",
    " Date de création :",
    " Commentaires :",
    // English
    "Project Properties",
    " Name of Project :",
    " Resolution :",
    " MP3 File :",
    " Subject :",
    " Author :",
    " Copyright :",
    " Customer :",
    " Creation Date :",
    " Comments :",
    // Spanish
    "Propiedades de Proyecto",
    " Nombre de Proyecto:",
    " Resolución:",
    " Archivo MP3:",
    " Tema:",
    " Autor:",
    " Copyright:",
    " Cliente:",
    " Fecha de Creación:",
    " Comentarios:",
    // German
    "Projekteigenschaften",
    " Projektname : ",
    " Auflösung : ",
    " MP3 Datei : ",
    " Thema : ",
    " Autor : ",
    " Copyright :",
    " Klient :",
    " Erzeugungsdatum : ",
    " Kommentare :",
};

// MP3 import: 6 entries per language.
constexpr const char* kMp3Import[] = {
    // French
    "Extraction des données MP3...",
    "Chargement du fichier Peak...",
    "Le format du fichier MP3 n'est pas compatible avec l'éditeur Lumivox (44100 kHz - 16 bits - "
    "Stereo)",
    "Extraction et Sauvegarde des données utiles de la forme d'onde...",
    "Finalise les données utiles de la forme d'onde...",
    "Extraction des données Peak...",
    // English
    "Extracting MP3 Data...",
    "Loading Peak File...",
    "MP3 file format is not a compatible format with Lumivox Editor (44100 kHz - 16 bit - Stereo)",
    "Extracting and Saving Useful Waveform Data...",
    "Finalizing Useful Waveform Data...",
    "Extracting Peak Data...",
    // Spanish
    "Extrayendo Datos MP3",
    "Cargando Archivo Peak",
    "El formato del archivo MP3 no es compatible con el Editor Lumivox (44100 kHz - 16 bit - "
    "Estéreo)",
    "Extrayendo y Guardando Datos Útiles de Forma de Onda",
    "Finalizando Datos de Forma de Onda",
    "Extrayendo Datos de Peak",
    // German
    "MP3-Datenextraktion...",
    "Ladung der Datei \"Peak\"...",
    "Format der MP3-Datei ist nicht mit dem Lumivox-Editor (44100 kHz - 16 bits - Stereo) "
    "kompatibel",
    "Extraktion und Speicherung der Nutzdaten aus Wellenform...",
    "Beendung der Nutzdaten aus Wellenform...",
    "Extraktion der Daten \"Peak\"...",
};

// Project loading and saving: 8 entries per language.
constexpr const char* kProjectFile[] = {
    // French
    "Sauvegarde des pistes...",
    "Cette version de fichier projet ",
    " n'est pas compatible avec la version actuelle du programme!",
    "Version de fichier projet inconnue!",
    "Impossible de charger le fichier MP3 ou de créer les données de la forme d'onde!",
    "Création des pistes...",
    "Le fichier MP3 : \"",
    "\" de votre projet a été déplacé ou n'existe plus! Vueillez sélectionner un fichier MP3 pour "
    "de votre projet : ",
    // English
    "Saving tracks...",
    "This project file version ",
    " is not compatible with your current version of program!",
    "Unkown project file version!",
    "Impossible to load MP3 file or create waveform data!",
    "Creating tracks...",
    "MP3 file : \"",
    "\" of your project was remove or does not exist any more! Please select one MP3 file for your "
    "project : ",
    // Spanish
    "Guardando pistas",
    "Esta versión de Archivo Proyecto",
    " no es compatible con la versión actual de este programa",
    "Versión de Proyecto desconocida",
    "Imposible cargar el archivo MP3 o crear datos de forma de onda",
    "Creando pistas...",
    "MP3 file : \"",
    "\" of your project was remove or does not exist any more! Please select one MP3 file for your "
    "project : ",
    // German
    "Speicherung der Spuren...",
    "Diese Version des Dateiprojekts ",
    " ist nicht mit der aktuellen Programmversion kompatibel!",
    "Version des Dateiprojekts unbekannt!",
    "Unmöglich die MP3 Datei zu laden oder die Daten aus Wellenform zu verfassen!",
    "Verfassung der Spuren...",
    "MP3 file : \"",
    "\" of your project was remove or does not exist any more! Please select one MP3 file for your "
    "project : ",
};

// MIDI Map dialog: 12 entries per language.
constexpr const char* kMidiMapDialog[] = {
    // French
    " Canal MIDI : ",
    " Options MIDI : ",
    " Note MIDI : ",
    " Contrôleur MIDI : ",
    " Utiliser une Note comme déclencheur.",
    " Utiliser la Vélocité comme valeur enregistrée.",
    "Apprendre une note MIDI",
    "Apprendre un Contôleur MIDI",
    "Sélectionner un Canal MIDI",
    "Sélectionner une note MIDI",
    "Sélectionner un Contôleur MIDI",
    "Descripteur MIDI",
    // English
    " MIDI Channel : ",
    " MIDI Options : ",
    " MIDI Key : ",
    " MIDI Controller : ",
    " Use MIDI Key as trigger",
    " Use MIDI Velocity as recorded value.",
    "Learn a MIDI Key",
    "Learn a MIDI Controller",
    "Select a MIDI Channel",
    "Select a MIDI Key",
    "Select a MIDI Controller",
    "MIDI Mapping",
    // Spanish
    " MIDI Channel : ",
    " MIDI Options : ",
    " MIDI Key : ",
    " MIDI Controller : ",
    " Use MIDI Key as trigger",
    " Use MIDI Velocity as recorded value.",
    "Learn a MIDI Key",
    "Learn a MIDI Controller",
    "Select a MIDI Channel",
    "Select a MIDI Key",
    "Select a MIDI Controller",
    "MIDI Mapping",
    // German
    " MIDI-Kanal : ",
    " MIDI-Möglichkeiten: ",
    " MIDI-Taste : ",
    " MIDI-Kontroller : ",
    " Benutzen Sie eine Taste als Auslöser",
    " Benutzen Sie Velocity als gespeichertes Wert",
    "MIDI-Taste lernen",
    "MIDI-Kontroller lernen",
    "MIDI-Kanal auswählen",
    "MIDI-Taste auswählen",
    "MIDI-Kontroller auswählen",
    "MIDI-Mapping",
};

// Dialog buttons: 2 entries per language.
constexpr const char* kDialogButtons[] = {
    // French
    "OK",
    "Annuler",
    // English
    "OK",
    "Cancel",
    // Spanish
    "OK",
    "Cancel",
    // German
    "OK",
    "Abbruch",
};

// About box: 4 entries per language.
constexpr const char* kAboutBox[] = {
    // French
    "A propos de Vostrel Lumivox Editor",
    "Vostrel Lumivox Editor",
    "Version V1.4",
    "https://lumivox.example",
    // English
    "About Vostrel Lumivox Editor",
    "Vostrel Lumivox Editor",
    "Version V1.4",
    "https://lumivox.example",
    // Spanish
    "Sobre el Editor Lumivox Vostrel",
    "Editor Vostrel Lumivox",
    "Versión V1.4",
    "https://lumivox.example",
    // German
    "Über Vostrel Lumivox Editor",
    "Vostrel Lumivox Editor",
    "Version V1.4",
    "https://lumivox.example",
};

// Key names, one per note of the octave; the same in every language.
constexpr const char* kKeyNames[] = {
    "C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B ",
};

// Controller names, controller 0 to 127; the same in every language.
constexpr const char* kControllerNames[] = {
    "000 Bank Select",
    "001 Modulation Wheel",
    "002 Breath Control",
    "003 Undefined",
    "004 Foot Control",
    "005 Portamento Time",
    "006 Data Entry",
    "007 Channel Volume (formerly Main Volume)",
    "008 Balance",
    "009 Undefined",
    "010 Pan",
    "011 Expression Controller",
    "012 Effect Control 1",
    "013 Effect Control 2",
    "014 Undefined",
    "015 Undefined",
    "016 General Purpose Controller #1",
    "017 General Purpose Controller #2",
    "018 General Purpose Controller #3",
    "019 General Purpose Controller #4",
    "020 Undefined",
    "021 Undefined",
    "022 Undefined",
    "023 Undefined",
    "024 Undefined",
    "025 Undefined",
    "026 Undefined",
    "027 Undefined",
    "028 Undefined",
    "029 Undefined",
    "030 Undefined",
    "031 Undefined",
    "032 Bank Select LSB",
    "033 Modulation Wheel LSB",
    "034 Breath Control LSB",
    "035 Undefined LSB",
    "036 Foot Control LSB",
    "037 Portamento Time LSB",
    "038 Data Entry LSB",
    "039 Channel Volume (fromerly Main Volume) LSB",
    "040 Balance LSB",
    "041 Undefined LSB",
    "042 Pan LSB",
    "043 Expression Controller LSB",
    "044 Effect Control 1 LSB",
    "045 Effect Control 2 LSB",
    "046 Undefined LSB",
    "047 Undefined LSB",
    "048 General Purpose Controller #1 LSB",
    "049 General Purpose Controller #2 LSB",
    "050 General Purpose Controller #3 LSB",
    "051 General Purpose Controller #4 LSB",
    "052 Undefined LSB",
    "053 Undefined LSB",
    "054 Undefined LSB",
    "055 Undefined LSB",
    "056 Undefined LSB",
    "057 Undefined LSB",
    "058 Undefined LSB",
    "059 Undefined LSB",
    "060 Undefined LSB",
    "061 Undefined LSB",
    "062 Undefined LSB",
    "063 Undefined LSB",
    "064 Damper Pedal On/Off (sustain)",
    "065 Portamento On/Off",
    "066 Sustenuto On/Off",
    "067 Soft Pedal On/Off",
    "068 Legato Footswitch",
    "069 Hold 2",
    "070 Sound Controller 1 (Sound Variation)",
    "071 Sound Controller 2 (Timbre)",
    "072 Sound Controller 3 (Release Time)",
    "073 Sound Controller 4 (Attack Time)",
    "074 Sound Controller 5 (Brightness)",
    "075 Sound Controller 6",
    "076 Sound Controller 7",
    "077 Sound Controller 8",
    "078 Sound Controller 9",
    "079 Sound Controller 10",
    "080 General Purpose Controller #5",
    "081 General Purpose Controller #6",
    "082 General Purpose Controller #7",
    "083 General Purpose Controller #8",
    "084 Portamento Control",
    "085 Undefined",
    "086 Undefined",
    "087 Undefined",
    "088 Undefined",
    "089 Undefined",
    "090 Undefined",
    "091 Effects 1 Depth",
    "092 Effects 2 Depth",
    "093 Effects 3 Depth",
    "094 Effects 4 Depth",
    "095 Effects 5 Depth",
    "096 Data Entry Increment",
    "097 Data Entry Decrement",
    "098 Non-Registered Parameter Number LSB",
    "099 Non-Registered Parameter Number MSB",
    "100 Registered Parameter Number LSB",
    "101 Registered Parameter Number MSB",
    "102 Undefined",
    "103 Undefined",
    "104 Undefined",
    "105 Undefined",
    "106 Undefined",
    "107 Undefined",
    "108 Undefined",
    "109 Undefined",
    "110 Undefined",
    "111 Undefined",
    "112 Undefined",
    "113 Undefined",
    "114 Undefined",
    "115 Undefined",
    "116 Undefined",
    "117 Undefined",
    "118 Undefined",
    "119 Undefined",
    "120 All Sound Off",
    "121 Reset All Controllers",
    "122 Local Control On/Off",
    "123 All Notes Off",
    "124 Omni Mode Off",
    "125 Omni Mode On",
    "126 Poly Mode On/Off",
    "127 Ploy Mode On",
};

// Texts of this editor beyond the original tables; the numbering follows ExtraText.
constexpr const char* kExtra[] = {
    // French
    "Le fichier projet %1 ne peut pas être lu (ligne %2) : %3",
    "un nombre entier était attendu.",
    "la résolution %1 n'est pas 1, 2 ou 3.",
    "%1 pistes dépassent les 255 qu'un projet peut contenir.",
    "une piste contient un nombre de valeurs différent des %1 que requiert son morceau.",
    "le fichier se termine prématurément.",
    "Le fichier %1 ne peut pas être lu : %2",
    "Le fichier %1 ne peut pas être écrit : %2",
    "le nombre de commentaires %1 n'est pas valide.",
    "Le périphérique d'entrée MIDI %1 n'est plus disponible ; il a été fermé.",
    "Le périphérique audio %1 ne répond plus. Le morceau continue sans son sur l'horloge du "
    "système, les sorties restent en mesure ; la prochaine lecture réessaiera le périphérique.",
    "Son : %1",
    "Aucun périphérique audio : horloge silencieuse",
    "Périphérique audio perdu : horloge silencieuse",
    "serveur JACK",
    "Les pistes de %1 contiennent %2 tranches de temps, mais son morceau en a %3 : elles ont été "
    "ajustées au morceau. Vérifiez la fin du spectacle avant d'enregistrer.",
    "%1 n'a pas été fermé normalement : une copie de secours écrite le %2 contient des "
    "modifications non enregistrées. La restaurer, ou l'abandonner ?",
    "Restaurer",
    "Abandonner",
    "La copie de secours %1 ne peut pas être écrite : %2",
    "&Projets récents",
    "(aucun)",
    "Intervalle d'&enregistrement automatique...",
    "Secondes entre deux copies de secours d'un spectacle modifié (5 à 1800) :",
    // English
    "The project file %1 cannot be read (line %2): %3",
    "a whole number was expected.",
    "the resolution %1 is not 1, 2 or 3.",
    "%1 tracks are more than the 255 a project can hold.",
    "a track holds a different number of values than the %1 its song needs.",
    "the file ends early.",
    "The file %1 cannot be read: %2",
    "The file %1 cannot be written: %2",
    "the comment count %1 is not valid.",
    "The MIDI input device %1 is no longer available and has been closed.",
    "The sound device %1 stopped responding. The song goes on without sound on the system clock, "
    "so the outputs keep time; the next Play tries the device again.",
    "Sound: %1",
    "No sound device: silent clock",
    "Sound device lost: silent clock",
    "JACK server",
    "The tracks of %1 hold %2 time slots, but its song has %3: they were fitted to the song. Check "
    "the end of the show before saving.",
    "%1 was not closed normally: a recovery copy written %2 holds changes that were not saved. "
    "Restore it, or discard it?",
    "Restore",
    "Discard",
    "The recovery copy %1 cannot be written: %2",
    "Recent &Projects",
    "(none)",
    "&Autosave Interval...",
    "Seconds between two recovery copies of a modified show (5 to 1800):",
    // Spanish
    "No se puede leer el archivo de proyecto %1 (línea %2): %3",
    "se esperaba un número entero.",
    "la resolución %1 no es 1, 2 ni 3.",
    "%1 pistas superan las 255 que puede contener un proyecto.",
    "una pista contiene un número de valores distinto de los %1 que necesita su tema.",
    "el archivo termina antes de tiempo.",
    "No se puede leer el archivo %1: %2",
    "No se puede escribir el archivo %1: %2",
    "el número de comentarios %1 no es válido.",
    "El dispositivo de entrada MIDI %1 ya no está disponible y se ha cerrado.",
    "El dispositivo de sonido %1 ha dejado de responder. La canción sigue sin sonido con el reloj "
    "del sistema, así que las salidas mantienen el tiempo; la próxima reproducción volverá a "
    "probar el dispositivo.",
    "Sonido: %1",
    "Sin dispositivo de sonido: reloj silencioso",
    "Dispositivo de sonido perdido: reloj silencioso",
    "servidor JACK",
    "Las pistas de %1 contienen %2 intervalos de tiempo, pero su tema tiene %3: se han ajustado al "
    "tema. Revise el final del espectáculo antes de guardar.",
    "%1 no se cerró normalmente: una copia de recuperación escrita el %2 contiene cambios no "
    "guardados. ¿Restaurarla o descartarla?",
    "Restaurar",
    "Descartar",
    "No se puede escribir la copia de recuperación %1: %2",
    "&Proyectos recientes",
    "(ninguno)",
    "Intervalo de guardado &automático...",
    "Segundos entre dos copias de recuperación de un espectáculo modificado (5 a 1800):",
    // German
    "Die Projektdatei %1 kann nicht gelesen werden (Zeile %2): %3",
    "eine ganze Zahl wurde erwartet.",
    "die Auflösung %1 ist nicht 1, 2 oder 3.",
    "%1 Spuren sind mehr als die 255, die ein Projekt aufnehmen kann.",
    "eine Spur enthält eine andere Anzahl von Werten als die %1, die ihr Lied benötigt.",
    "die Datei endet vorzeitig.",
    "Die Datei %1 kann nicht gelesen werden: %2",
    "Die Datei %1 kann nicht geschrieben werden: %2",
    "die Kommentaranzahl %1 ist ungültig.",
    "Das MIDI-Eingabegerät %1 ist nicht mehr verfügbar und wurde geschlossen.",
    "Das Audiogerät %1 reagiert nicht mehr. Das Lied läuft ohne Ton auf der Systemuhr weiter, die "
    "Ausgänge bleiben im Takt; das nächste Abspielen versucht das Gerät erneut.",
    "Ton: %1",
    "Kein Audiogerät: stille Uhr",
    "Audiogerät verloren: stille Uhr",
    "JACK-Server",
    "Die Spuren von %1 enthalten %2 Zeitschritte, das Lied hat aber %3: sie wurden an das Lied "
    "angepasst. Prüfen Sie das Ende der Show vor dem Speichern.",
    "%1 wurde nicht normal geschlossen: eine am %2 geschriebene Sicherungskopie enthält nicht "
    "gespeicherte Änderungen. Wiederherstellen oder verwerfen?",
    "Wiederherstellen",
    "Verwerfen",
    "Die Sicherungskopie %1 kann nicht geschrieben werden: %2",
    "&Zuletzt geöffnete Projekte",
    "(keine)",
    "Intervall der automatischen &Sicherung...",
    "Sekunden zwischen zwei Sicherungskopien einer geänderten Show (5 bis 1800):",
};

// The undo depth and the moving of tracks; the numbering follows TrackEditingText.
constexpr const char* kTrackEditing[] = {
    // French
    "&Niveaux d'annulation...",
    "Nombre d'étapes d'annulation conservées (1 à 1000) :",
    "Monter",
    "Descendre",
    // English
    "&Undo Levels...",
    "Number of undo steps kept (1 to 1000):",
    "Move Up",
    "Move Down",
    // Spanish
    "&Niveles de deshacer...",
    "Número de pasos de deshacer conservados (1 a 1000):",
    "Subir",
    "Bajar",
    // German
    "&Rückgängig-Stufen...",
    "Anzahl der gespeicherten Rückgängig-Schritte (1 bis 1000):",
    "Nach oben",
    "Nach unten",
};

// The time-range selection, its block commands and play ranges; numbered as BlockText.
constexpr const char* kBlockTexts[] = {
    // French
    "&Bloc",
    "&Copier le bloc",
    "Co&uper le bloc",
    "Co&ller le bloc",
    "&Effacer le bloc",
    "&Remplir...",
    "&Rampe...",
    "&Inverser",
    "Mettre à l'é&chelle...",
    "Décaler plus &tôt...",
    "Décaler plus &tard...",
    "Ré&péter...",
    "C&henillard...",
    "&Désélectionner",
    "&Lecture",
    "Lire la &sélection",
    "&Boucle",
    "Lire depuis le &pointeur",
    "Sélection : %1 à %2 (%3)",
    "Valeur à écrire dans la sélection (0 à 255) :",
    "Valeur au début de la rampe (0 à 255) :",
    "Valeur à la fin de la rampe (0 à 255) :",
    "Pourcentage appliqué aux valeurs (0 à %1) :",
    "Nombre de tranches du décalage (1 à %1) :",
    "Nombre de répétitions de la sélection (1 à %1) :",
    "Tranches par pas du chenillard (1 à %1) :",
    "Valeur du chenillard (0 à 255) :",
    // English
    "&Block",
    "&Copy Block",
    "Cu&t Block",
    "&Paste Block",
    "C&lear Block",
    "&Fill...",
    "&Ramp...",
    "&Invert",
    "&Scale...",
    "Shift &Earlier...",
    "Shift &Later...",
    "Re&peat...",
    "C&hase...",
    "&Deselect",
    "&Play",
    "Play &Selection",
    "&Loop",
    "Play from &Pointer",
    "Selection: %1 to %2 (%3)",
    "Value to write into the selection (0 to 255):",
    "Value at the start of the ramp (0 to 255):",
    "Value at the end of the ramp (0 to 255):",
    "Percentage to apply to the values (0 to %1):",
    "Slots to shift the values by (1 to %1):",
    "Times to repeat the selection (1 to %1):",
    "Slots per chase step (1 to %1):",
    "Value of the chase (0 to 255):",
    // Spanish
    "&Bloque",
    "&Copiar bloque",
    "Cor&tar bloque",
    "&Pegar bloque",
    "&Borrar bloque",
    "&Rellenar...",
    "R&ampa...",
    "&Invertir",
    "&Escalar...",
    "Desplazar a&ntes...",
    "Desplazar &después...",
    "Re&petir...",
    "&Secuencia...",
    "&Deseleccionar",
    "&Reproducir",
    "Reproducir la &selección",
    "&Bucle",
    "Reproducir desde el &puntero",
    "Selección: %1 a %2 (%3)",
    "Valor que se escribe en la selección (0 a 255):",
    "Valor al principio de la rampa (0 a 255):",
    "Valor al final de la rampa (0 a 255):",
    "Porcentaje que se aplica a los valores (0 a %1):",
    "Intervalos que se desplazan los valores (1 a %1):",
    "Veces que se repite la selección (1 a %1):",
    "Intervalos por paso de la secuencia (1 a %1):",
    "Valor de la secuencia (0 a 255):",
    // German
    "&Block",
    "Block &kopieren",
    "Block &ausschneiden",
    "Block &einfügen",
    "Block &löschen",
    "&Füllen...",
    "&Rampe...",
    "&Invertieren",
    "&Skalieren...",
    "&Früher verschieben...",
    "&Später verschieben...",
    "&Wiederholen...",
    "&Lauflicht...",
    "Auswahl &aufheben",
    "&Wiedergabe",
    "&Auswahl abspielen",
    "&Schleife",
    "Ab &Zeiger abspielen",
    "Auswahl: %1 bis %2 (%3)",
    "Wert, der in die Auswahl geschrieben wird (0 bis 255):",
    "Wert am Anfang der Rampe (0 bis 255):",
    "Wert am Ende der Rampe (0 bis 255):",
    "Prozentsatz für die Werte (0 bis %1):",
    "Zeitschritte, um die die Werte verschoben werden (1 bis %1):",
    "Wie oft die Auswahl wiederholt wird (1 bis %1):",
    "Zeitschritte pro Lauflichtschritt (1 bis %1):",
    "Wert des Lauflichts (0 bis 255):",
};

// The timing marks found in the song.
constexpr const char* kBeatTexts[] = {
    // French
    "Recherche des temps...",
    // English
    "Finding beats...",
    // Spanish
    "Buscando los tiempos...",
    // German
    "Schläge werden gesucht...",
};

// Snapping, the jumps from mark to mark and the operations on beats; the numbering follows
// SnapText.
constexpr const char* kSnapTexts[] = {
    // French
    "Aimanter aux temps et aux repères",
    "Aimanter aux temps et aux repères (G ; Alt inverse)",
    "Repère précédent",
    "Repère suivant",
    "Flash sur les temps...",
    "Chenillard sur les temps...",
    "Tranches allumées à chaque temps (1 à %1) :",
    "Aucun temps n'a été trouvé dans le morceau : rien ne peut être placé sur les temps.",
    "Aucun temps du morceau ne tombe dans la sélection.",
    // English
    "Snap to beats and marks",
    "Snap to beats and marks (G; Alt inverts)",
    "Previous mark",
    "Next mark",
    "Flash on Beats...",
    "Chase on Beats...",
    "Slots lit at each beat (1 to %1):",
    "No beats were found in the song: nothing can be placed on them.",
    "No beat of the song falls inside the selection.",
    // Spanish
    "Ajustar a los tiempos y las marcas",
    "Ajustar a los tiempos y las marcas (G; Alt invierte)",
    "Marca anterior",
    "Marca siguiente",
    "Destello en los tiempos...",
    "Secuencia en los tiempos...",
    "Intervalos encendidos en cada tiempo (1 a %1):",
    "No se encontró ningún tiempo en la canción: no se puede colocar nada en ellos.",
    "Ningún tiempo de la canción cae dentro de la selección.",
    // German
    "An Schlägen und Marken einrasten",
    "An Schlägen und Marken einrasten (G; Alt kehrt um)",
    "Vorherige Marke",
    "Nächste Marke",
    "Blitz auf den Schlägen...",
    "Lauflicht auf den Schlägen...",
    "Zeitschritte, die jeder Schlag leuchtet (1 bis %1):",
    "Im Song wurden keine Schläge gefunden: Es kann nichts auf sie gesetzt werden.",
    "Kein Schlag des Songs liegt in der Auswahl.",
};

// The show's marks; the numbering follows MarksText.
constexpr const char* kMarksTexts[] = {
    // French
    "Repères",
    "Ajouter un repère",
    "Renommer le repère...",
    "Supprimer le repère",
    "Ajouter un repère ici",
    "Renommer...",
    "Supprimer",
    "Nom du repère à %1 :",
    "Le fichier de repères %1 est refusé à la ligne %2 : %3. Le projet s'ouvre sans repères.",
    "un temps en millisecondes est attendu",
    "le temps est négatif",
    "Le fichier de repères %1 ne peut pas être lu (%2). Le projet s'ouvre sans repères.",
    // English
    "Marks",
    "Add mark",
    "Rename mark...",
    "Delete mark",
    "Add mark here",
    "Rename...",
    "Delete",
    "Name of the mark at %1:",
    "The marks file %1 is refused at line %2: %3. The project opens without marks.",
    "a time in milliseconds was expected",
    "the time is negative",
    "The marks file %1 cannot be read (%2). The project opens without marks.",
    // Spanish
    "Marcas",
    "Añadir una marca",
    "Renombrar la marca...",
    "Eliminar la marca",
    "Añadir una marca aquí",
    "Renombrar...",
    "Eliminar",
    "Nombre de la marca en %1:",
    "El archivo de marcas %1 se rechaza en la línea %2: %3. El proyecto se abre sin marcas.",
    "se esperaba un tiempo en milisegundos",
    "el tiempo es negativo",
    "El archivo de marcas %1 no se puede leer (%2). El proyecto se abre sin marcas.",
    // German
    "Marken",
    "Marke hinzufügen",
    "Marke umbenennen...",
    "Marke löschen",
    "Marke hier hinzufügen",
    "Umbenennen...",
    "Löschen",
    "Name der Marke bei %1:",
    "Die Markendatei %1 wird in Zeile %2 abgelehnt: %3. Das Projekt wird ohne Marken geöffnet.",
    "eine Zeit in Millisekunden wurde erwartet",
    "die Zeit ist negativ",
    "Die Markendatei %1 kann nicht gelesen werden (%2). Das Projekt wird ohne Marken geöffnet.",
};

// The sound device and the output latency offset; numbered as AudioOptionsText.
constexpr const char* kAudioOptions[] = {
    // French
    "Périphérique &audio",
    "Automatique (serveur JACK s'il tourne, sinon le périphérique par défaut)",
    "Aucun (horloge silencieuse)",
    "Périphérique audio %1 introuvable ; %2",
    "&Latence des sorties...",
    "Décalage des sorties par rapport au son entendu, en millisecondes (-500 à +500).\n"
    "Positif : les sorties changent autant plus tôt que le son qui va avec (son plus lent que "
    "les sorties).\nNégatif : autant plus tard.",
    "Sorties %1 ms",
    // English
    "&Sound Device",
    "Automatic (the JACK server when it runs, else the system's default)",
    "None (silent clock)",
    "Sound device %1 not found; %2",
    "Output &Latency...",
    "Offset of the outputs from the heard sound, in milliseconds (-500 to +500).\n"
    "Positive: the outputs change that much earlier than the sound they go with (for a "
    "sound path slower than the outputs).\nNegative: that much later.",
    "Outputs %1 ms",
    // Spanish
    "Dispositivo de &sonido",
    "Automático (el servidor JACK si funciona, si no el predeterminado del sistema)",
    "Ninguno (reloj silencioso)",
    "Dispositivo de sonido %1 no encontrado; %2",
    "&Latencia de las salidas...",
    "Desfase de las salidas respecto al sonido oído, en milisegundos (-500 a +500).\n"
    "Positivo: las salidas cambian tanto antes que el sonido que acompañan (sonido más lento "
    "que las salidas).\nNegativo: tanto después.",
    "Salidas %1 ms",
    // German
    "&Audiogerät",
    "Automatisch (der JACK-Server, wenn er läuft, sonst das Standardgerät)",
    "Keines (stille Uhr)",
    "Audiogerät %1 nicht gefunden; %2",
    "Ausgangs-&Latenz...",
    "Versatz der Ausgänge gegenüber dem gehörten Ton in Millisekunden (-500 bis +500).\n"
    "Positiv: die Ausgänge schalten um so viel früher als der Ton, zu dem sie gehören (für "
    "einen Tonweg, der langsamer ist als die Ausgänge).\nNegativ: um so viel später.",
    "Ausgänge %1 ms",
};

// DMX output through the Open Lighting Architecture.
constexpr const char* kDmxTexts[] = {
    // French
    "Sorties...",
    "Sorties",
    "Sortie DMX par OLA",
    "Univers OLA :",
    "Recherche de olad...",
    "olad répond",
    "olad ne répond pas",
    "Sortie DMX : le service OLA (olad) ne répond pas pour l'univers %1. L'éditeur continue "
    "et renverra les valeurs dès que olad sera de retour.",
    "Le DMX est envoyé pendant la lecture en mode temps réel.",
    // English
    "Outputs...",
    "Outputs",
    "DMX output through OLA",
    "OLA universe:",
    "Looking for olad...",
    "olad is reachable",
    "olad is not reachable",
    "DMX output: the OLA daemon (olad) does not answer for universe %1. The editor goes on "
    "and sends the values again as soon as olad is back.",
    "DMX is sent while the song plays in real-time mode.",
    // Spanish
    "Salidas...",
    "Salidas",
    "Salida DMX por OLA",
    "Universo OLA:",
    "Buscando olad...",
    "olad responde",
    "olad no responde",
    "Salida DMX: el servicio OLA (olad) no responde para el universo %1. El editor sigue "
    "y volverá a enviar los valores en cuanto olad vuelva.",
    "El DMX se envía mientras suena la canción en modo tiempo real.",
    // German
    "Ausgänge...",
    "Ausgänge",
    "DMX-Ausgabe über OLA",
    "OLA-Universum:",
    "olad wird gesucht...",
    "olad ist erreichbar",
    "olad ist nicht erreichbar",
    "DMX-Ausgabe: der OLA-Dienst (olad) antwortet nicht für Universum %1. Der Editor läuft "
    "weiter und sendet die Werte erneut, sobald olad wieder da ist.",
    "DMX wird gesendet, während das Lied im Real-Time-Modus spielt.",
};

// Deleting locked tracks and the Undo Levels dialog; the numbering follows HistoryText.
constexpr const char* kHistoryTexts[] = {
    // French
    "Supprimer la ou les piste(s) sélectionnée(s) ? La ou les piste(s) verrouillée(s) %1 "
    "sont conservées : déverrouillez une piste pour la supprimer.",
    "La ou les piste(s) sélectionnée(s) %1 sont verrouillées et n'ont pas été supprimées. "
    "Déverrouillez une piste pour la supprimer.",
    "%1 et %2 autres",
    "Niveaux d'annulation",
    "Mémoire pour l'annulation, en Mo (%1 à %2) :",
    "L'historique contient %1 étapes, %2 Mo sur %3 Mo.",
    "L'historique contient une étape, %1 Mo sur %2 Mo.",
    "Au-delà de cette mémoire, les étapes les plus anciennes sont abandonnées ; l'état "
    "actuel est toujours conservé.",
    // English
    "Delete the selected track(s)? The locked track(s) %1 stay: unlock a track to delete it.",
    "The selected track(s) %1 are locked and were not deleted. Unlock a track to delete it.",
    "%1 and %2 more",
    "Undo Levels",
    "Memory for undo, in MB (%1 to %2):",
    "The history holds %1 steps, %2 MB of %3 MB.",
    "The history holds one step, %1 MB of %2 MB.",
    "Past this memory the oldest steps are dropped; the current state is always kept.",
    // Spanish
    "¿Eliminar la(s) pista(s) seleccionada(s)? La(s) pista(s) bloqueada(s) %1 se conservan: "
    "desbloquee una pista para eliminarla.",
    "La(s) pista(s) seleccionada(s) %1 están bloqueadas y no se han eliminado. Desbloquee una "
    "pista para eliminarla.",
    "%1 y %2 más",
    "Niveles de deshacer",
    "Memoria para deshacer, en MB (%1 a %2):",
    "El historial contiene %1 pasos, %2 MB de %3 MB.",
    "El historial contiene un paso, %1 MB de %2 MB.",
    "Más allá de esta memoria se descartan los pasos más antiguos; el estado actual se "
    "conserva siempre.",
    // German
    "Die ausgewählte(n) Spur(en) löschen? Die gesperrte(n) Spur(en) %1 bleiben erhalten: "
    "entsperren Sie eine Spur, um sie zu löschen.",
    "Die ausgewählte(n) Spur(en) %1 sind gesperrt und wurden nicht gelöscht. Entsperren Sie "
    "eine Spur, um sie zu löschen.",
    "%1 und %2 weitere",
    "Rückgängig-Stufen",
    "Speicher für Rückgängig, in MB (%1 bis %2):",
    "Der Verlauf enthält %1 Schritte, %2 MB von %3 MB.",
    "Der Verlauf enthält einen Schritt, %1 MB von %2 MB.",
    "Darüber hinaus werden die ältesten Schritte verworfen; der aktuelle Stand bleibt immer "
    "erhalten.",
};

// One table: its texts and how many entries one language holds. A single-language table
// answers every language with the same text.
struct TableInfo {
    const char* const* texts;
    int entriesPerLanguage;
    bool singleLanguage;
};

// Builds the entry for a four-language table; the array must hold exactly four languages of
// `PerLanguage` entries, which the compiler checks.
template <int PerLanguage, std::size_t N>
constexpr TableInfo FourLanguages(const char* const (&texts)[N]) {
    static_assert(N == static_cast<std::size_t>(PerLanguage) * kLanguageCount,
                  "table size does not match its entry count");
    return {texts, PerLanguage, false};
}

template <std::size_t N> constexpr TableInfo OneLanguage(const char* const (&texts)[N]) {
    return {texts, static_cast<int>(N), true};
}

// The View menu; the numbering follows ViewText.
constexpr const char* kView[] = {
    // French
    "Affichage",
    "Zoom sur le morceau entier",
    "Zoom sur la sélection",
    // English
    "View",
    "Zoom to fit",
    "Zoom to selection",
    // Spanish
    "Ver",
    "Ajustar el zoom a la canción",
    "Ajustar el zoom a la selección",
    // German
    "Ansicht",
    "Ganzen Song einpassen",
    "Auswahl einpassen",
};

// Indexed by TextTable; the order must follow the enumeration.
constexpr std::array kTables{
    FourLanguages<9>(kFileMenu),
    FourLanguages<13>(kEditMenu),
    FourLanguages<9>(kRs232Menu),
    FourLanguages<5>(kLanguageMenu),
    FourLanguages<2>(kHelpMenu),
    FourLanguages<3>(kOptionsMenu),
    FourLanguages<4>(kTypeOutputMenu),
    FourLanguages<20>(kTrackMenu),
    FourLanguages<3>(kStatusLabels),
    FourLanguages<16>(kToolBarHints),
    FourLanguages<16>(kCommonTexts),
    FourLanguages<15>(kMessages),
    FourLanguages<10>(kProjectProperties),
    FourLanguages<6>(kMp3Import),
    FourLanguages<8>(kProjectFile),
    FourLanguages<12>(kMidiMapDialog),
    FourLanguages<2>(kDialogButtons),
    FourLanguages<4>(kAboutBox),
    OneLanguage(kKeyNames),
    OneLanguage(kControllerNames),
    FourLanguages<ExtraText::Count>(kExtra),
    FourLanguages<ViewText::Count>(kView),
    FourLanguages<TrackEditingText::Count>(kTrackEditing),
    FourLanguages<BlockText::Count>(kBlockTexts),
    FourLanguages<BeatText::Count>(kBeatTexts),
    FourLanguages<SnapText::Count>(kSnapTexts),
    FourLanguages<MarksText::Count>(kMarksTexts),
    FourLanguages<AudioOptionsText::Count>(kAudioOptions),
    FourLanguages<DmxText::Count>(kDmxTexts),
    FourLanguages<FileText::Count>(texts::kFileTexts),
    FourLanguages<ShellText::Count>(texts::kShellTexts),
    FourLanguages<HistoryText::Count>(kHistoryTexts),
};
static_assert(kTables.size() == static_cast<std::size_t>(TextTable::HistoryText) + 1,
              "every TextTable needs its entry in kTables");
static_assert(std::size(kKeyNames) == 12 && std::size(kControllerNames) == 128);

const TableInfo* FindTable(TextTable table) {
    const auto index = static_cast<std::size_t>(table);
    return index < kTables.size() ? &kTables[index] : nullptr;
}

} // namespace

QLocale LocaleOf(Language language) {
    switch (language) {
    case Language::French:
        return QLocale(QLocale::French, QLocale::France);
    case Language::Spanish:
        return QLocale(QLocale::Spanish, QLocale::Spain);
    case Language::German:
        return QLocale(QLocale::German, QLocale::Germany);
    case Language::English:
        break;
    }
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}

Language LanguageFromNumber(int number) {
    switch (number) {
    case 1:
        return Language::French;
    case 3:
        return Language::Spanish;
    case 4:
        return Language::German;
    default:
        return Language::English;
    }
}

int EntryCount(TextTable table) {
    const TableInfo* info = FindTable(table);
    return info != nullptr ? info->entriesPerLanguage : 0;
}

QString Text(TextTable table, int entry, Language language) {
    const TableInfo* info = FindTable(table);
    if (info == nullptr || entry < 1 || entry > info->entriesPerLanguage) {
        return {};
    }
    int offset = 0;
    if (!info->singleLanguage) {
        // A language value outside the enumeration is read as English, like a settings byte.
        const Language checked = LanguageFromNumber(static_cast<int>(language));
        offset = (static_cast<int>(checked) - 1) * info->entriesPerLanguage;
    }
    return QString::fromUtf8(info->texts[offset + entry - 1]);
}

} // namespace lumivox
