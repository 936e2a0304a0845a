// The texts of TextTable::ShellText in the four languages; the numbering follows ShellText.
#include "core/TableTexts.h"

namespace lumivox::texts {

const char* const kShellTexts[ShellText::Count * 4] = {
    // French
    "&Raccourcis clavier",
    "Raccourcis clavier",
    "Touches",
    "Commande",
    "Lire ou mettre en pause le morceau",
    "Curseur de lecture au début ou à la fin du morceau",
    "Curseur de lecture d'une cellule en arrière ou en avant",
    "Agrandir la plage de temps sélectionnée",
    "Maj + glisser : sélectionner une plage de temps, quel que soit l'outil",
    "Ctrl + glisser : effacer pendant le dessin",
    "Alt + glisser : aimanter à l'inverse pour ce geste",
    "Ctrl + molette : zoomer ou dézoomer sous le pointeur",
    "Maj + molette : défiler dans le temps",
    "Pointeur : %1",
    "Aucun spectacle n'est ouvert.\n"
    "Commencez-en un avec Fichier > Nouveau Projet (Ctrl+N),\n"
    "ou ouvrez-en un avec Fichier > Ouvrir (Ctrl+O).",
    // English
    "&Keyboard Shortcuts",
    "Keyboard Shortcuts",
    "Keys",
    "Command",
    "Play or pause the song",
    "Play cursor to the beginning or the end of the song",
    "Play cursor one cell back or forward",
    "Grow the selected time range",
    "Shift + drag: select a time range, whatever the tool",
    "Ctrl + drag: erase while drawing",
    "Alt + drag: snap the other way for this gesture",
    "Ctrl + wheel: zoom in or out at the pointer",
    "Shift + wheel: scroll in time",
    "Pointer: %1",
    "No show is open.\n"
    "Start one with File > New Project (Ctrl+N),\n"
    "or open one with File > Open (Ctrl+O).",
    // Spanish
    "&Atajos de teclado",
    "Atajos de teclado",
    "Teclas",
    "Orden",
    "Reproducir o pausar la canción",
    "Cursor de reproducción al principio o al final de la canción",
    "Cursor de reproducción una celda atrás o adelante",
    "Ampliar el intervalo de tiempo seleccionado",
    "Mayús + arrastrar: seleccionar un intervalo de tiempo, con cualquier herramienta",
    "Ctrl + arrastrar: borrar mientras se dibuja",
    "Alt + arrastrar: ajustar al revés en este gesto",
    "Ctrl + rueda: acercar o alejar bajo el puntero",
    "Mayús + rueda: desplazarse en el tiempo",
    "Puntero: %1",
    "No hay ningún espectáculo abierto.\n"
    "Empiece uno con Archivo > Nuevo Proyecto (Ctrl+N),\n"
    "o abra uno con Archivo > Abrir (Ctrl+O).",
    // German
    "&Tastenkürzel",
    "Tastenkürzel",
    "Tasten",
    "Befehl",
    "Lied abspielen oder anhalten",
    "Abspielmarke an den Anfang oder das Ende des Lieds",
    "Abspielmarke eine Zelle zurück oder vor",
    "Den gewählten Zeitbereich vergrößern",
    "Umschalt + Ziehen: einen Zeitbereich wählen, mit jedem Werkzeug",
    "Strg + Ziehen: beim Zeichnen löschen",
    "Alt + Ziehen: für diese Geste umgekehrt einrasten",
    "Strg + Mausrad: am Zeiger vergrößern oder verkleinern",
    "Umschalt + Mausrad: in der Zeit blättern",
    "Zeiger: %1",
    "Keine Show ist geöffnet.\n"
    "Beginnen Sie eine mit Datei > Neues Projekt (Strg+N),\n"
    "oder öffnen Sie eine mit Datei > Öffnen (Strg+O).",
};

} // namespace lumivox::texts
