// The texts of TextTable::FileText in the four languages; the numbering follows FileText.
#include "core/TableTexts.h"

namespace lumivox::texts {

const char* const kFileTexts[FileText::Count * 4] = {
    // French
    "il n'y a plus de place sur le disque",
    "votre quota de disque est épuisé",
    "vous n'avez pas le droit d'écrire dans ce dossier",
    "le disque est en lecture seule",
    "le disque a signalé une erreur d'entrée/sortie",
    "le dossier n'existe pas",
    "le nom du fichier est trop long",
    "le fichier est trop grand pour ce disque",
    "Le projet n'a pas été enregistré dans %1 : %2. Rien n'a été modifié sur le disque ; le "
    "spectacle reste ouvert, non enregistré.",
    "Le fichier de séquence ne peut nommer que les tranches de temps jusqu'à 65 535 : "
    "l'exportation s'arrête à %1, les changements après cet instant ne sont pas dans le "
    "fichier.",
    "Le morceau %1 dure %2, plus que les %3 qu'un spectacle peut contenir. Choisissez un "
    "morceau plus court.",
    "Le morceau \"%1\" de votre projet ne peut pas être utilisé. Veuillez choisir un autre "
    "fichier audio pour votre projet : %2",
    "Exporter &vers...",
    "Le fichier de séquence %1 ne peut pas être écrit : %2. Choisissez où l'écrire.",
    "Fichiers de séquence (*.seq)",
    "Le fichier projet %1 annonce %2 pistes, mais en contient %3 : les %3 ont été lues. "
    "Vérifiez le spectacle avant de l'enregistrer.",
    "Le fichier de repères %1 ne peut pas être lu (ligne %2 : %3). Il est gardé tel quel ; si "
    "vous modifiez les repères, il sera d'abord mis de côté sous %4.",
    "%1 repère(s) se trouvent après la fin du morceau (%2). Ils sont listés dans le menu "
    "Repères, où vous pouvez les supprimer.",
    "Écrit : %1",
    "Repères après la fin du morceau",
    "Supprimer les repères après la fin",
    // English
    "there is no space left on the disk",
    "your disk quota is used up",
    "you are not allowed to write in that folder",
    "the disk is read-only",
    "the disk reported an input/output error",
    "the folder does not exist",
    "the file name is too long",
    "the file is too large for that disk",
    "The project was not saved to %1: %2. Nothing on the disk was changed; the show stays "
    "open, unsaved.",
    "The sequence file can name time slots only up to 65,535: the export stops at %1, and the "
    "changes after that time are not in the file.",
    "The song %1 lasts %2, longer than the %3 a show can hold. Choose a shorter song.",
    "The song \"%1\" of your project cannot be used. Please select another song for your "
    "project: %2",
    "Export &To...",
    "The sequence file %1 cannot be written: %2. Choose where to write it.",
    "Sequence files (*.seq)",
    "The project file %1 says it holds %2 tracks, but %3 were found in it: all %3 were read. "
    "Check the show before saving it.",
    "The marks file %1 cannot be read (line %2: %3). It is kept as it is; if you change the "
    "marks, it is first saved aside as %4.",
    "%1 mark(s) lie past the end of the song (%2). They are listed in the Marks menu, where "
    "they can be deleted.",
    "Written: %1",
    "Marks past the end of the song",
    "Delete the marks past the end",
    // Spanish
    "no queda espacio en el disco",
    "su cuota de disco está agotada",
    "no tiene permiso para escribir en esa carpeta",
    "el disco es de solo lectura",
    "el disco informó de un error de entrada/salida",
    "la carpeta no existe",
    "el nombre del archivo es demasiado largo",
    "el archivo es demasiado grande para ese disco",
    "El proyecto no se guardó en %1: %2. No se cambió nada en el disco; el espectáculo sigue "
    "abierto, sin guardar.",
    "El archivo de secuencia solo puede nombrar intervalos de tiempo hasta 65.535: la "
    "exportación se detiene en %1 y los cambios posteriores no están en el archivo.",
    "La canción %1 dura %2, más que los %3 que puede contener un espectáculo. Elija una "
    "canción más corta.",
    "La canción \"%1\" de su proyecto no se puede usar. Seleccione otro archivo de audio para "
    "su proyecto: %2",
    "Exportar &a...",
    "El archivo de secuencia %1 no se puede escribir: %2. Elija dónde escribirlo.",
    "Archivos de secuencia (*.seq)",
    "El archivo de proyecto %1 indica %2 pistas, pero contiene %3: se leyeron las %3. "
    "Revise el espectáculo antes de guardarlo.",
    "El archivo de marcas %1 no se puede leer (línea %2: %3). Se conserva tal cual; si cambia "
    "las marcas, primero se guardará aparte como %4.",
    "%1 marca(s) están después del final de la canción (%2). Aparecen en el menú Marcas, "
    "donde se pueden eliminar.",
    "Escrito: %1",
    "Marcas después del final de la canción",
    "Eliminar las marcas después del final",
    // German
    "auf dem Datenträger ist kein Platz mehr",
    "Ihr Speicherkontingent ist erschöpft",
    "Sie dürfen in diesen Ordner nicht schreiben",
    "der Datenträger ist schreibgeschützt",
    "der Datenträger meldete einen Ein-/Ausgabefehler",
    "der Ordner existiert nicht",
    "der Dateiname ist zu lang",
    "die Datei ist zu groß für diesen Datenträger",
    "Das Projekt wurde nicht in %1 gespeichert: %2. Auf dem Datenträger wurde nichts "
    "geändert; die Show bleibt offen und ungespeichert.",
    "Die Sequenzdatei kann Zeitschritte nur bis 65.535 benennen: der Export endet bei %1, "
    "die Änderungen danach sind nicht in der Datei.",
    "Das Lied %1 dauert %2, länger als die %3, die eine Show fassen kann. Wählen Sie ein "
    "kürzeres Lied.",
    "Das Lied \"%1\" Ihres Projekts kann nicht verwendet werden. Bitte wählen Sie eine andere "
    "Audiodatei für Ihr Projekt: %2",
    "Exportieren &nach...",
    "Die Sequenzdatei %1 kann nicht geschrieben werden: %2. Wählen Sie, wohin sie geschrieben "
    "werden soll.",
    "Sequenzdateien (*.seq)",
    "Die Projektdatei %1 gibt %2 Spuren an, enthält aber %3: alle %3 wurden gelesen. Prüfen "
    "Sie die Show, bevor Sie sie speichern.",
    "Die Markendatei %1 kann nicht gelesen werden (Zeile %2: %3). Sie bleibt unverändert; "
    "wenn Sie die Marken ändern, wird sie zuerst als %4 beiseitegelegt.",
    "%1 Marke(n) liegen nach dem Ende des Lieds (%2). Sie stehen im Menü Marken, wo Sie sie "
    "löschen können.",
    "Geschrieben: %1",
    "Marken nach dem Ende des Lieds",
    "Marken nach dem Ende löschen",
};

} // namespace lumivox::texts
