#!/usr/bin/env python3
"""Fills the translations still missing in the tables from the dictionaries below. Run it after
`cmake --build build --target update_translations` has added new source texts, run that target once
more (it puts the tables back in lupdate's layout), then review. Translations already made are kept.
Tables given as arguments (earlier copies of the French one, say) lend their translations to texts that
moved to another context, which the update drops from the tables themselves."""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

HELP_EN = {
    "Destination Dir.help": "Folder where the converted files are written. Leave it empty to write each "
                            "file beside its source. It applies to every job in the list when you press "
                            "Return or leave the field.",
    "File.help": "Import one or more video files into the list (Ctrl+I).",
    "Directory.help": "Import every video file found in a folder and its sub-folders (Ctrl+D).",
    "Setup.help": "Edit the default settings that newly imported files receive (Ctrl+P).",
    "Encoding.help": "Convert the jobs not converted yet, one after another (Ctrl+E).",
    "Stop.help": "Stop now: the file being converted is removed and the jobs still waiting are not converted.",
}

FR = {
    "A destination is needed.": "Une destination est nécessaire.",
    "The destination needs a whole path, from the top folder.":
        "La destination doit être un chemin complet, depuis le dossier racine.",
    "%1 is a folder: the destination needs a file name.":
        "%1 est un dossier : la destination doit être un nom de fichier.",
    "The folder %1 does not exist.": "Le dossier %1 n’existe pas.",
    "The folder %1 cannot be written to.": "Impossible d’écrire dans le dossier %1.",
    "The crop needs four whole numbers: width:height:x:y.":
        "Le recadrage demande quatre nombres entiers : largeur:hauteur:x:y.",
    "The crop %1 does not fit in the picture (%2×%3).":
        "Le recadrage %1 ne tient pas dans l’image (%2×%3).",
    "“%1” is a folder, not a subtitle file.": "« %1 » est un dossier, pas un fichier de sous-titres.",
    "The subtitle file “%1” cannot be read.": "Le fichier de sous-titres « %1 » ne peut pas être lu.",
    "Del": "Suppr",
    "Ctrl": "Ctrl",
    "Shift": "Maj",
    "Alt": "Alt",
    "Return": "Entrée",
    "Backspace": "Retour arrière",
    "OK": "OK",
    "Cancel": "Annuler",
    "Close": "Fermer",
    "Yes": "Oui",
    "No": "Non",
    "Save": "Enregistrer",
    "Discard": "Abandonner",
    "Apply": "Appliquer",
    "Reset": "Réinitialiser",
    "Restore Defaults": "Restaurer les valeurs par défaut",
    "written as %1": "écrit sous le nom %1",
    "Same output as job %1 (%2): %3": "Même sortie que la tâche %1 (%2) : %3",
    "MP4 cannot hold the source's audio stream “%1” as it is: choose an audio encoder, or MKV.":
        "Le MP4 ne peut pas contenir tel quel le flux audio « %1 » de la source : choisissez un encodeur audio, "
        "ou MKV.",
    "Convert HDR to SDR": "Convertir HDR en SDR",
    "No audio": "Pas de son",
    "Subtitles": "Sous-titres",
    "Burn in": "Incruster",
    "None": "Aucun",
    "Draws one subtitle track into the picture, for players that show no subtitles; it is then not kept as a track.":
        "Dessine une piste de sous-titres dans l’image, pour les lecteurs qui n’affichent pas de sous-titres ; elle "
        "n’est alors pas gardée comme piste.",
    "Date": "Date",
    "Keep the source's date": "Garder la date de la source",
    "The converted file gets the modification time of its source.":
        "Le fichier converti reçoit la date de modification de sa source.",
    "%1 to SDR": "%1 vers SDR",
    "The subtitle file “%1” holds picture subtitles (%2), which %3 cannot hold; choose Matroska or a text subtitle file.":
        "Le fichier de sous-titres « %1 » contient des sous-titres en images (%2), que le %3 ne peut pas contenir ; "
        "choisissez Matroska ou un fichier de sous-titres texte.",
    "WebM cannot hold the source's %1 video as it is: choose libsvtav1 or libvpx-vp9, or MKV.":
        "Le WebM ne peut pas contenir telle quelle la vidéo %1 de la source : choisissez libsvtav1 ou libvpx-vp9, "
        "ou MKV.",
    "WebM holds only VP9 or AV1 video, which %1 does not write: choose libsvtav1 or libvpx-vp9, or MKV.":
        "Le WebM ne contient que de la vidéo VP9 ou AV1, que %1 n’écrit pas : choisissez libsvtav1 ou libvpx-vp9, "
        "ou MKV.",
    "WebM holds only Opus or Vorbis audio, which %1 does not write: choose libopus, or MKV.":
        "Le WebM ne contient que du son Opus ou Vorbis, que %1 n’écrit pas : choisissez libopus, ou MKV.",
    "WebM cannot hold the source's audio stream “%1” as it is: choose libopus, or MKV.":
        "Le WebM ne peut pas contenir tel quel le flux audio « %1 » de la source : choisissez libopus, ou MKV.",
    "MP4 holds FLAC audio only in ffmpeg's experimental mode: choose MKV, or another audio encoder.":
        "Le MP4 ne contient du FLAC que dans le mode expérimental de ffmpeg : choisissez MKV, ou un autre encodeur "
        "audio.",
    "mono": "mono",
    "stereo": "stéréo",
    "unknown format": "format inconnu",
    "SubRip text": "texte SubRip",
    "(pictures)": "(images)",
    "%1 kb/s": "%1 kb/s",
    "Default": "Par défaut",
    "Forced": "Forcés",
    "For an HDR10 or HLG source. Ticked: tone-map the picture to standard range (BT.709). Empty: keep the high "
    "dynamic range and ten bits where the encoder carries them (libx265, libsvtav1, libvpx-vp9); other encoders "
    "always tone-map.":
        "Pour une source HDR10 ou HLG. Cochée : ramener l’image à la plage standard (BT.709). Vide : garder la "
        "haute plage dynamique et les dix bits là où l’encodeur les porte (libx265, libsvtav1, libvpx-vp9) ; les "
        "autres encodeurs ramènent toujours à la plage standard.",
    "Constant quality: lower is better and larger (x264 and x265: 0 to 51, 18 looks like the source, 23 is their "
    "default; AV1 and VP9: 0 to 63, about 32 looks as good as x264's 23)":
        "Qualité constante : plus bas donne mieux et plus gros (x264 et x265 : 0 à 51, 18 ressemble à la source, "
        "23 est leur valeur par défaut ; AV1 et VP9 : 0 à 63, environ 32 vaut le 23 de x264)",
    "e.g. eng, fra": "p. ex. eng, fra",
    "Audio languages": "Audio à garder",
    "New jobs keep the audio tracks in these languages (the first track when none is); empty keeps the first track.":
        "Les nouvelles tâches gardent les pistes audio dans ces langues (la première piste quand aucune ne l’est) ; "
        "vide garde la première piste.",
    "Subtitle languages": "Sous-titres à garder",
    "New jobs keep the subtitle tracks in these languages; empty keeps every subtitle track.":
        "Les nouvelles tâches gardent les pistes de sous-titres dans ces langues ; vide les garde toutes.",
    "New jobs give the converted file the modification time of its source.":
        "Les nouvelles tâches donnent au fichier converti la date de modification de sa source.",
    "Interlaced": "Entrelacé",
    "Ticked: always deinterlace. Empty: never. A dash (auto): only when mediainfo finds the source interlaced.":
        "Cochée : toujours désentrelacer. Vide : jamais. Un tiret (auto) : seulement quand mediainfo trouve la "
        "source entrelacée.",
    "DeInterlace (auto)": "Désentrelacer (auto)",
    "Channels": "Canaux",
    "Stereo folds a surround source to two channels; Keep writes the source's layout (MP3 keeps two).":
        "Stéréo ramène une source multicanal à deux canaux ; Conserver garde la disposition de la source "
        "(le MP3 en garde deux).",
    "Stereo": "Stéréo",
    "Keep": "Conserver",
    "Channels Audio": "Canaux audio",
    "Tavrix cannot convert these files: it needs a video stream.":
        "Tavrix ne peut pas convertir ces fichiers : il lui faut un flux vidéo.",
    "Passthrough: the video is copied as it is; rate, size, deinterlacing, crop, preset, profile and tune do not "
    "apply.":
        "Copie directe : la vidéo est copiée telle quelle ; débit, taille, désentrelacement, recadrage, préréglage, "
        "profil et réglage ne s’appliquent pas.",
    "MP4 cannot hold the source's %1 video as it is: choose MKV, or an encoder.":
        "Le MP4 ne peut pas contenir telle quelle la vidéo %1 de la source : choisissez MKV, ou un encodeur.",
    "no video stream: mediainfo finds only audio in it":
        "pas de flux vidéo : mediainfo n’y trouve que du son",
    "not a media file: mediainfo finds no video or audio stream in it":
        "pas un fichier multimédia : mediainfo n’y trouve ni flux vidéo ni flux audio",
    "The source “%1” is not a regular file (a folder, a pipe or a device); it is not converted.":
        "La source « %1 » n’est pas un fichier ordinaire (un dossier, un tube ou un périphérique) ; elle "
        "n’est pas convertie.",
    "Cannot create a folder in “%1”: %2": "Impossible de créer un dossier dans « %1 » : %2",
    "The folder “%1” was moved or replaced while ffmpeg ran.":
        "Le dossier « %1 » a été déplacé ou remplacé pendant le travail de ffmpeg.",
    "The output lasts %1 s of the source's %2 s": "La sortie dure %1 s sur les %2 s de la source",
    "The output lasts %1 s of the %2 s asked for": "La sortie dure %1 s sur les %2 s demandées",
    "GNU parallel cannot read the hosts file “%1”: %2":
        "GNU parallel ne peut pas lire le fichier d’hôtes « %1 » : %2",
    "ffmpeg is not installed on %1 (or not on its PATH).":
        "ffmpeg n’est pas installé sur %1 (ou pas dans son PATH).",
    "Incomplete": "Incomplète",
    "the settings file “%1” is not a regular file; nothing was stored":
        "le fichier de réglages « %1 » n’est pas un fichier ordinaire ; rien n’a été enregistré",
    "the settings file “%1” has a line Tavrix cannot read (line %2); nothing was stored; fix or remove it":
        "le fichier de réglages « %1 » contient une ligne que Tavrix ne sait pas lire (ligne %2) ; rien n’a "
        "été enregistré ; corrigez-la ou supprimez-la",
    "cannot write the settings file “%1”; nothing was stored":
        "impossible d’écrire le fichier de réglages « %1 » ; rien n’a été enregistré",
    "it is not a regular file; move it away or remove it":
        "ce n’est pas un fichier ordinaire ; déplacez-le ou supprimez-le",
    "The saved job list “%1” is not a regular file; the list starts empty and is not saved until it is moved "
    "away or removed.":
        "La liste de tâches enregistrée « %1 » n’est pas un fichier ordinaire ; la liste démarre vide et n’est "
        "pas enregistrée tant qu’il n’est pas déplacé ou supprimé.",
    "Settings not saved": "Réglages non enregistrés",
    "Stopped by the user": "Arrêté par l’utilisateur",
    "The source file “%1” no longer exists.": "Le fichier source « %1 » n’existe plus.",
    "The job has no destination.": "La tâche n’a pas de destination.",
    "The destination is the source file itself; choose another name or folder.":
        "La destination est le fichier source lui-même ; choisissez un autre nom ou un autre dossier.",
    "The destination “%1” is the source of another job of this run.":
        "La destination « %1 » est la source d’une autre tâche de cette série.",
    "An earlier job of this run already writes “%1”.": "Une tâche précédente de cette série écrit déjà « %1 ».",
    "The shell could not be started: %1": "Impossible de lancer le shell : %1",
    "ffmpeg was ended by signal %1 (%2).": "ffmpeg a été arrêté par le signal %1 (%2).",
    "ffmpeg exited with status %1.": "ffmpeg s’est terminé avec le code %1.",
    "ffmpeg exited with status %1: %2": "ffmpeg s’est terminé avec le code %1 : %2",
    "ffmpeg ended without writing “%1”.": "ffmpeg s’est terminé sans écrire « %1 ».",
    "%1 is the source": "%1 est la source",
    "%1 is the source of another job": "%1 est la source d’une autre tâche",
    "%1 is written by an earlier job": "%1 est écrit par une tâche précédente",
    "%1 exists": "%1 existe",
    "%1 is not a regular file": "%1 n’est pas un fichier ordinaire",
    "“%1” already exists; it is left as it is.": "« %1 » existe déjà ; il est laissé tel quel.",
    "“%1” is not a regular file (a link, a folder, a pipe or a device); nothing is written through it.":
        "« %1 » n’est pas un fichier ordinaire (un lien, un dossier, un tube ou un périphérique) ; rien "
        "n’est écrit à travers lui.",
    "ffmpeg took too long to read it.": "ffmpeg a mis trop de temps à le lire.",
    "it holds no stream.": "il ne contient aucun flux.",
    "No free name is left beside “%1”.": "Il ne reste aucun nom libre à côté de « %1 ».",
    "Cannot create a file in “%1”: %2": "Impossible de créer un fichier dans « %1 » : %2",
    "ffmpeg could not finish writing “%1”: %2": "ffmpeg n’a pas pu finir d’écrire « %1 » : %2",
    "The file being written was removed or replaced while ffmpeg ran.":
        "Le fichier en cours d’écriture a été supprimé ou remplacé pendant que ffmpeg tournait.",
    "ffmpeg ended without error, but “%1” cannot be read back: %2":
        "ffmpeg s’est terminé sans erreur, mais « %1 » ne peut pas être relu : %2",
    "The finished file could not be named “%1”: %2": "Le fichier terminé n’a pas pu être nommé « %1 » : %2",
    "the file being written was removed or replaced meanwhile.":
        "le fichier en cours d’écriture a été supprimé ou remplacé entre-temps.",
    "no free name is left.": "il ne reste aucun nom libre.",
    "%1 exited with status %2": "%1 s’est terminé avec le code %2",
    "%1 crashed (signal %2)": "%1 a planté (signal %2)",
    "%1 could not be started: %2": "Impossible de lancer %1 : %2",
    "%1 did not answer in %2 s": "%1 n’a pas répondu en %2 s",
    "%1 was stopped": "%1 a été arrêté",
    "No preview picture: %1": "Pas d’image d’aperçu : %1",
    "No border detection: %1": "Pas de détection des bandes noires : %1",
    "Open Files…": "Ouvrir des fichiers…",
    "Open Document…": "Ouvrir un document…",
    "Open Directory…": "Ouvrir un dossier…",
    "Preferences…": "Préférences…",
    "Start Encoding": "Lancer l’encodage",
    "Delete All Jobs": "Supprimer toutes les tâches",
    "Destination Dir": "Dossier de destination",
    "Path of destinations files": "Chemin des fichiers de destination",
    "Destination Dir.help": "Dossier où les fichiers convertis sont écrits. Laissez-le vide pour écrire "
                            "chaque fichier à côté de sa source. Il s’applique à toutes les tâches de la "
                            "liste quand vous appuyez sur Entrée ou quittez le champ.",
    "Choose the destination directory": "Choisir le dossier de destination",
    "File": "Fichier",
    "File.help": "Importer un ou plusieurs fichiers vidéo dans la liste (Ctrl+I).",
    "Directory": "Dossier",
    "Directory.help": "Importer toutes les vidéos d’un dossier et de ses sous-dossiers (Ctrl+D).",
    "Setup": "Réglages",
    "Setup.help": "Modifier les réglages par défaut des fichiers importés ensuite (Ctrl+P).",
    "Encoding": "Encodage",
    "Encoding.help": "Convertir les tâches pas encore converties, l’une après l’autre (Ctrl+E).",
    "Tools missing": "Outils manquants",
    "Tavrix needs ffmpeg to convert videos and mediainfo to read them. Until they are installed, files "
    "can still be listed but not probed or converted.":
        "Tavrix a besoin de ffmpeg pour convertir les vidéos et de mediainfo pour les lire. Tant qu’ils "
        "ne sont pas installés, les fichiers peuvent être listés mais ni analysés ni convertis.",
    "Import video file": "Importer un fichier vidéo",
    "Import video file from directory": "Importer les fichiers vidéo d’un dossier",
    "Not imported: “%1” does not exist.": "Non importé : « %1 » n’existe pas.",
    "⚠ The folder “%1” does not exist; encoding into it will fail until it is created.":
        "⚠ Le dossier « %1 » n’existe pas ; l’encodage y échouera tant qu’il n’est pas créé.",
    "Oups": "Oups",
    "This job has no source file to edit.": "Cette tâche n’a pas de fichier source à modifier.",
    "Close": "Fermer",
    "Source": "Source",
    "Destination": "Destination",
    "Export video": "Exporter la vidéo",
    "The name template chosen in Setup makes this name": "Le modèle de nom choisi dans les réglages donne ce nom",
    "Container": "Conteneur",
    "Quicktime": "Quicktime",
    "Video": "Vidéo",
    "Tracks": "Pistes",
    "Codec": "Codec",
    "Bitrate": "Débit",
    "Size": "Taille",
    "Width": "Largeur",
    "Height": "Hauteur",
    "DeInterlace": "Désentrelacer",
    "Crop": "Recadrage",
    "Autocrop": "Recadrage auto",
    "Find the black borders of the picture": "Trouver les bandes noires de l’image",
    "Preview": "Aperçu",
    "Preset": "Préréglage",
    "Profile": "Profil",
    "Tune": "Optimisation",
    "Audio": "Audio",
    "Sampling": "Échantillonnage",
    "Other": "Autre",
    "Other params": "Autres paramètres",
    "params": "paramètres",
    "Subtitle": "Sous-titres",
    "No subtitle": "Pas de sous-titres",
    "Subtitle external": "Sous-titres externes",
    "Language": "Langue",
    "Import subtitle": "Importer des sous-titres",
    "Command": "Commande",
    "The command this job would run with the choices above":
        "La commande que cette tâche lancerait avec les choix ci-dessus",
    "Copy": "Copier",
    "Ok": "OK",
    "Convert again?": "Convertir à nouveau ?",
    "Every job in the list has been converted. Convert them all again?":
        "Toutes les tâches de la liste ont été converties. Les convertir toutes à nouveau ?",
    "The files already written are kept; the new ones get new names.":
        "Les fichiers déjà écrits sont conservés ; les nouveaux prennent de nouveaux noms.",
    "“If the output exists” is set to Skip in Setup: jobs whose file is still there will be skipped.":
        "« Si la sortie existe » vaut Ignorer dans les réglages : les tâches dont le fichier est toujours "
        "là seront ignorées.",
    "The files already written are replaced once the new ones are complete.":
        "Les fichiers déjà écrits sont remplacés une fois les nouveaux terminés.",
    "Convert Again": "Convertir à nouveau",
    "%1: %2": "%1 : %2",
    "Encoding finished": "Encodage terminé",
    "Encoding finished: %1.": "Encodage terminé : %1.",
    "%1: written to %2": "%1 : écrit dans %2",
    "Written to %1": "Écrit dans %1",
    "%1\nOutput: %2": "%1\nSortie : %2",
    "If the output exists": "Si la sortie existe",
    "Rename": "Renommer",
    "Skip": "Ignorer",
    "Overwrite": "Remplacer",
    "Write to the first free name: clip-1.mp4, clip-2.mp4…":
        "Écrire sous le premier nom libre : clip-1.mp4, clip-2.mp4…",
    "Leave the file as it is and do not convert the job": "Laisser le fichier tel quel et ne pas convertir la tâche",
    "Replace the file once the new one is complete": "Remplacer le fichier une fois le nouveau terminé",
    "a new name will be used": "un nouveau nom sera utilisé",
    "will be skipped": "la tâche sera ignorée",
    "will be replaced": "il sera remplacé",
    "Same as the source: %1": "Identique à la source : %1",
    "will not be run": "la tâche ne sera pas lancée",
    "%1 exists: %2": "%1 existe : %2",
    "Same output as job %1 (%2)": "Même sortie que la tâche %1 (%2)",
    "Cancel": "Annuler",
    "A destination is needed: the previous one is back.":
        "Une destination est nécessaire : la précédente est rétablie.",
    "The folder %1 does not exist: the previous destination is back.":
        "Le dossier %1 n’existe pas : la destination précédente est rétablie.",
    "Looking for black borders…": "Recherche des bandes noires…",
    "No black borders found: the crop is unchanged.": "Aucune bande noire trouvée : le recadrage est inchangé.",
    "Choose \"mkv\" as container, or another subtitle.": "Choisissez « mkv » comme conteneur, ou d’autres sous-titres.",
    "No command: %1": "Pas de commande : %1",
    "%1 is not available in the installed ffmpeg": "%1 n’est pas disponible dans le ffmpeg installé",
    "The installed ffmpeg has no %1 encoder: this job will fail":
        "Le ffmpeg installé n’a pas d’encodeur %1 : cette tâche échouera",
    "The installed ffmpeg has no %1 and no %2 encoder: this job will fail":
        "Le ffmpeg installé n’a ni l’encodeur %1 ni l’encodeur %2 : cette tâche échouera",
    "%1\nPress to edit this job.": "%1\nCliquez pour modifier cette tâche.",
    "Output: %1": "Sortie : %1",
    "Delete": "Supprimer",
    "Drop video files or folders here, or use “File” or “Directory” below.":
        "Déposez ici des fichiers vidéo ou des dossiers, ou utilisez « Fichier » ou « Dossier » ci-dessous.",
    "Succeeded": "Réussi",
    "Failed": "Échoué",
    "Not run": "Non lancé",
    "Stopped": "Arrêté",
    "written to %1 (%2)": "écrit dans %1 (%2)",
    "&File": "&Fichier",
    "&Quit": "&Quitter",
    "&Edit": "&Édition",
    "E&ncoding": "E&ncodage",
    "Encoding in progress": "Encodage en cours",
    "An encoding run is in progress. Stop it and quit Tavrix?": "Un encodage est en cours. L’arrêter et quitter Tavrix ?",
    "Files being converted are left unfinished and removed; the jobs still waiting are not converted.":
        "Les fichiers en cours de conversion restent inachevés et sont supprimés ; les tâches en attente ne sont pas converties.",
    "Stop and Quit": "Arrêter et quitter",
    "Continue Encoding": "Continuer l’encodage",
    "Stop": "Arrêter",
    "Progress": "Progression",
    "Stop.help": "Arrêter maintenant : le fichier en cours est supprimé et les tâches en attente ne sont pas converties.",
    "Time left: %1 for this file, %2 in all": "Temps restant : %1 pour ce fichier, %2 en tout",
    "Time left: %1": "Temps restant : %1",
    "Time left for this file: %1": "Temps restant pour ce fichier : %1",
    "[%1 / %2] %3%": "[%1 / %2] %3 %",
    "Files": "Fichiers",
    "Codec Video": "Codec vidéo",
    "Profile Video": "Profil vidéo",
    "Preset Video": "Préréglage vidéo",
    "Tune Video": "Optimisation vidéo",
    "Bitrate Video": "Débit vidéo",
    "Codec Audio": "Codec audio",
    "Bitrate Audio": "Débit audio",
    "Sampling Audio": "Échantillonnage audio",
    "Subtitle language": "Langue des sous-titres",
    "Format outfile": "Format du fichier de sortie",
    "The program “%1” was not found in %2. Install the Debian package “%1” (sudo apt-get install %1), then "
    "build or install Tavrix again.":
        "Le programme « %1 » est introuvable dans %2. Installez le paquet Debian « %1 » "
        "(sudo apt-get install %1), puis compilez ou installez Tavrix à nouveau.",
    "Batch video converter": "Convertisseur vidéo par lots",
    "Video files or folders to import.": "Fichiers vidéo ou dossiers à importer.",
    "The run was stopped after the file before it": "La série a été arrêtée après le fichier précédent",
    "Retry Failed": "Relancer les échecs",
    "Convert again the jobs that failed or were stopped, with their own settings.": "Convertir à nouveau les tâches en échec ou arrêtées, avec leurs propres réglages.",
    "When done": "Une fois terminé",
    "Show Log": "Afficher le journal",
    "Log of %1": "Journal de %1",
    "The log “%1” cannot be read: %2": "Le journal « %1 » ne peut pas être lu : %2",
    "Copy": "Copier",
    "Do nothing": "Ne rien faire",
    "Quit Tavrix": "Quitter Tavrix",
    "Suspend": "Mettre en veille",
    "Power off": "Éteindre",
    "The computer could not be suspended: %1": "L’ordinateur n’a pas pu être mis en veille : %1",
    "The computer could not be powered off: %1": "L’ordinateur n’a pas pu être éteint : %1",
    "the system bus cannot be reached.": "le bus système est injoignable.",
    "Pause": "Pause",
    "Stop After This File": "Arrêter après ce fichier",
    "When done:": "Une fois terminé :",
    "Resume": "Reprendre",
    "Paused": "En pause",
    "Paused. %1": "En pause. %1",
    "Converting videos": "Conversion de vidéos",
    "Conversion stopped": "Conversion arrêtée",
    "Conversion finished": "Conversion terminée",
    "On %1: the converted file did not come back: %2": "Sur %1 : le fichier converti n’est pas revenu : %2",
    "“%1” has no video stream to encode.": "« %1 » n’a pas de flux vidéo à encoder.",
    "%1 cannot be used: %2": "%1 ne peut pas être utilisé : %2",
    "%1 has no constant quality mode; choose a bitrate.":
        "%1 n’a pas de mode à qualité constante ; choisissez un débit.",
    "%1 needs a VAAPI device (/dev/dri/renderD*); none was found.":
        "%1 a besoin d’un périphérique VAAPI (/dev/dri/renderD*) ; aucun n’a été trouvé.",
    "The crop “%1” is not of the form width:height:x:y.":
        "Le recadrage « %1 » n’est pas de la forme largeur:hauteur:x:y.",
    "The crop “%1” does not fit in the picture (%2×%3).":
        "Le recadrage « %1 » déborde de l’image (%2×%3).",
    "The subtitle stream “%1” is a picture subtitle (%2), which MP4 cannot hold; choose Matroska or no "
    "subtitle stream.":
        "La piste de sous-titres « %1 » est en images (%2), ce que MP4 ne peut pas contenir ; choisissez "
        "Matroska ou aucune piste de sous-titres.",
    "The subtitle file “%1” does not exist.": "Le fichier de sous-titres « %1 » n’existe pas.",
    "The subtitle file “%1” holds picture subtitles (%2), which MP4 cannot hold; choose Matroska or a text "
    "subtitle file.":
        "Le fichier de sous-titres « %1 » contient des sous-titres en images (%2), ce que MP4 ne peut pas "
        "contenir ; choisissez Matroska ou un fichier de sous-titres texte.",
    "On %1:": "Sur %1 :",
    "The subtitle file has the same name as the source; rename one of them to convert on other hosts.":
        "Le fichier de sous-titres porte le même nom que la source ; renommez l’un des deux pour convertir "
        "sur d’autres machines.",
    "H.264 MP4 — plays everywhere": "H.264 MP4 — se lit partout",
    "x264 at quality 22, AAC stereo 160 kbit/s, text subtitles: for any player, TV or browser":
        "x264 en qualité 22, AAC stéréo 160 kbit/s, sous-titres texte : pour tout lecteur, téléviseur ou "
        "navigateur",
    "HEVC MKV — half the size": "HEVC MKV — moitié moins lourd",
    "x265 at quality 27, 10-bit and HDR kept, every audio track copied, every subtitle":
        "x265 en qualité 27, 10 bits et HDR gardés, toutes les pistes audio copiées, tous les sous-titres",
    "AV1 MKV — archive": "AV1 MKV — archivage",
    "SVT-AV1 at quality 32, 10-bit and HDR kept, every audio track in Opus with its channels, every subtitle "
    "and chapter":
        "SVT-AV1 en qualité 32, 10 bits et HDR gardés, toutes les pistes audio en Opus avec leurs canaux, tous "
        "les sous-titres et chapitres",
    "VP9 WebM — for the web": "VP9 WebM — pour le web",
    "VP9 at quality 32, Opus stereo, text subtitles: for web pages":
        "VP9 en qualité 32, Opus stéréo, sous-titres texte : pour les pages web",
    "Remux to MP4 — no re-encoding": "Remuxer en MP4 — sans réencodage",
    "Video and every audio track copied as they are into MP4; fast, nothing lost":
        "La vidéo et toutes les pistes audio copiées telles quelles en MP4 ; rapide, rien de perdu",
    "Remux to MKV — no re-encoding": "Remuxer en MKV — sans réencodage",
    "Video, every audio track and every subtitle copied as they are into MKV; fast, nothing lost":
        "La vidéo, toutes les pistes audio et tous les sous-titres copiés tels quels en MKV ; rapide, rien "
        "de perdu",
    "Phone — 720p H.264": "Téléphone — 720p H.264",
    "x264 made no larger than 1280×720 (never enlarged), AAC stereo 128 kbit/s":
        "x264 ramené à 1280×720 au plus (jamais agrandi), AAC stéréo 128 kbit/s",
    "Hardware H.264 — fast": "H.264 matériel — rapide",
    "The first H.264 encoder of the graphics card that works here, quality 24, AAC stereo: fast, larger files":
        "Le premier encodeur H.264 de la carte graphique qui fonctionne ici, qualité 24, AAC stéréo : "
        "rapide, fichiers plus gros",
    "Hardware HEVC — fast": "HEVC matériel — rapide",
    "The first HEVC encoder of the graphics card that works here, quality 24, AAC stereo: fast, smaller than "
    "H.264":
        "Le premier encodeur HEVC de la carte graphique qui fonctionne ici, qualité 24, AAC stéréo : "
        "rapide, plus léger que H.264",
    "No hardware encoder works here (%1).": "Aucun encodeur matériel ne fonctionne ici (%1).",
    "Preset for new files": "Préréglage des nouveaux fichiers",
    "modified": "modifié",
    "A setting differs from the preset's since it was chosen.":
        "Un réglage diffère de celui du préréglage depuis qu’il a été choisi.",
    "Save as Preset…": "Enregistrer comme préréglage…",
    "At most": "Au plus",
    "The width and height are the most the picture may measure: a larger one is made smaller with its shape "
    "kept, a smaller one is never enlarged.":
        "La largeur et la hauteur sont le maximum de l’image : une image plus grande est réduite en gardant "
        "ses proportions, une plus petite n’est jamais agrandie.",
    "Apply Preset": "Appliquer un préréglage",
    "Extra ffmpeg parameters": "Paramètres ffmpeg supplémentaires",
    "The preset “%1” adds these ffmpeg parameters to every job it is used for:":
        "Le préréglage « %1 » ajoute ces paramètres ffmpeg à chaque tâche qui l’utilise :",
    "Save as Preset": "Enregistrer comme préréglage",
    "Name of the new preset:": "Nom du nouveau préréglage :",
    "Preset not saved": "Préréglage non enregistré",
    "Custom": "Personnalisé",
    "The settings as they are, no preset": "Les réglages tels quels, sans préréglage",
    "no preset is called “%1”, and no such file": "aucun préréglage ne s’appelle « %1 », et aucun fichier non plus",
    "The preset for new files, “%1”, no longer exists: new files take the stored settings.":
        "Le préréglage des nouveaux fichiers, « %1 », n’existe plus : les nouveaux fichiers prennent les "
        "réglages enregistrés.",
    "The preset for new files, “%1”, cannot be used (%2): new files take the stored settings.":
        "Le préréglage des nouveaux fichiers, « %1 », ne peut pas servir (%2) : les nouveaux fichiers "
        "prennent les réglages enregistrés.",
    "larger than a preset can be": "plus gros qu’un préréglage ne peut l’être",
    "not a regular file": "pas un fichier ordinaire",
    "not JSON (%1 at byte %2)": "pas du JSON (%1 à l’octet %2)",
    "not a Tavrix preset": "pas un préréglage Tavrix",
    "A preset needs a name.": "Un préréglage a besoin d’un nom.",
    "“%1” is the name of a built-in preset.": "« %1 » est le nom d’un préréglage fourni.",
    "A preset called “%1” already exists.": "Un préréglage nommé « %1 » existe déjà.",
    "The preset file “%1” cannot be read (%2); it is left as it is.":
        "Le fichier de préréglage « %1 » est illisible (%2) ; il est laissé tel quel.",
    "Cannot make the folder “%1”.": "Impossible de créer le dossier « %1 ».",
    "Cannot write “%1”: %2": "Impossible d’écrire « %1 » : %2",
    "No preset is called “%1”.": "Aucun préréglage ne s’appelle « %1 ».",
    "Cannot remove “%1”: %2": "Impossible de supprimer « %1 » : %2",
    "“%1”: %2": "« %1 » : %2",
    "“%1” already exists.": "« %1 » existe déjà.",
    "Presets": "Préréglages",
    "Rename…": "Renommer…",
    "Export…": "Exporter…",
    "Import…": "Importer…",
    "New files take the settings of this preset; those below are kept for “Custom”.":
        "Les nouveaux fichiers prennent les réglages de ce préréglage ; ceux ci-dessous sont gardés pour "
        "« Personnalisé ».",
    "Rename Preset": "Renommer le préréglage",
    "New name of “%1”:": "Nouveau nom de « %1 » :",
    "Preset not renamed": "Préréglage non renommé",
    "Delete Preset": "Supprimer le préréglage",
    "Delete the preset “%1”? Jobs made with it keep their settings.":
        "Supprimer le préréglage « %1 » ? Les tâches faites avec lui gardent leurs réglages.",
    "Preset not deleted": "Préréglage non supprimé",
    "Export Preset": "Exporter le préréglage",
    "Preset not exported": "Préréglage non exporté",
    "Import Preset": "Importer un préréglage",
    "Preset not imported": "Préréglage non importé",
    "Imported as “%1”.": "Importé sous le nom « %1 ».",
    "It adds these ffmpeg parameters to every job: %1": "Il ajoute ces paramètres ffmpeg à chaque tâche : %1",
    "Preset imported": "Préréglage importé",
    "“%1” is not one of: %2": "« %1 » n’est pas l’un de : %2",
    "“%1” is not true or false": "« %1 » n’est ni true ni false",
    "“%1” is not text": "« %1 » n’est pas du texte",
    "“%1” is not a whole number from %2 to %3": "« %1 » n’est pas un nombre entier de %2 à %3",
    "the preset has no version": "le préréglage n’a pas de version",
    "written by a newer version of Tavrix (preset version %1; this one reads %2)":
        "écrit par une version plus récente de Tavrix (préréglage en version %1 ; celle-ci lit la %2)",
    "the preset has no name": "le préréglage n’a pas de nom",
    "%1 gave an answer that cannot be read": "%1 a donné une réponse illisible",
    "%1 ended without answering": "%1 s’est terminé sans répondre",
    "ffmpeg gave no score": "ffmpeg n’a donné aucune mesure",
    "Already %1: not converted.": "Déjà en %1 : non converti.",
    "Larger than the source (%1 %): not kept": "Plus gros que la source (%1 %) : non gardé",
    "%1 in %2": "%1 dans du %2",
    "If the output is larger": "Si la sortie est plus grosse",
    "Keep it": "La garder",
    "Keep the source only": "Ne garder que la source",
    "What becomes of a converted file larger than its source":
        "Ce que devient un fichier converti plus gros que sa source",
    "Skip files already in the format": "Passer les fichiers déjà au format",
    "A file whose video codec and container are already those of its job is not converted":
        "Un fichier dont le codec vidéo et le conteneur sont déjà ceux de sa tâche n’est pas converti",
    "The quality target could not be searched: %1": "La qualité visée n’a pas pu être cherchée : %1",
    "Choosing the quality for %1…": "Choix de la qualité pour %1…",
    "Check quality after converting": "Vérifier la qualité après conversion",
    "Each converted file is compared with its source (SSIM and PSNR, while the next file converts); its row says how close it came":
        "Chaque fichier converti est comparé à sa source (SSIM et PSNR, pendant la conversion du suivant) ; sa ligne dit à quel point il en est proche",
    "Each file gets the constant quality that keeps this much of its picture, found by encoding a few short samples first: Visually lossless cannot be told from the source, High hardly, Good shows a little softness in fine detail, Small trades detail for size":
        "Chaque fichier reçoit la qualité constante qui garde autant de son image, trouvée en encodant d’abord quelques courts extraits : Sans perte visible ne se distingue pas de la source, Haute à peine, Bonne adoucit un peu les détails fins, Petite échange du détail contre la taille",
    "The SSIM the output must keep against its source, from 0.9 to 0.9999 (1: the same picture)":
        "Le SSIM que la sortie doit garder face à sa source, de 0,9 à 0,9999 (1 : la même image)",
    "Target quality": "Qualité visée",
    "Quality": "Qualité",
    "Visually lossless": "Sans perte visible",
    "High": "Haute",
    "Good": "Bonne",
    "Small": "Petite",
    "Quality not checked: %1": "Qualité non vérifiée : %1",
    "PSNR %1 dB": "PSNR %1 dB",
    "PSNR ∞ (identical)": "PSNR ∞ (identique)",
    "%1 % of the source's size": "%1 % de la taille de la source",
    "(target %1 not reached)": "(cible %1 non atteinte)",
    "about %1": "environ %1",
    "from an earlier search": "d’une recherche antérieure",
    "No temporary folder for the samples: %1": "Pas de dossier temporaire pour les extraits : %1",
    "a sample could not be scored": "un extrait n’a pas pu être noté",
    "ffmpeg gave no score": "ffmpeg n’a donné aucune note",
    'The folder is not there.': 'Le dossier n’est pas là.',
    'Watched Folders': 'Dossiers surveillés',
    'Convert new files automatically': 'Convertir automatiquement les nouveaux fichiers',
    'A new file starts converting as soon as it joins the list. When this is off, new files wait in the list for Encoding.': 'Un nouveau fichier est converti dès qu’il rejoint la liste. Sinon, les nouveaux fichiers attendent dans la liste qu’on lance l’encodage.',
    'Folder': 'Dossier',
    'Settings': 'Réglages',
    'State': 'État',
    'Watch Folder…': 'Surveiller un dossier…',
    'Pause': 'Pause',
    'Resume': 'Reprendre',
    'Stop Watching': 'Ne plus surveiller',
    'The folder is no longer watched. Its files and the jobs already in the list stay as they are.': 'Le dossier n’est plus surveillé. Ses fichiers et les tâches déjà dans la liste restent tels quels.',
    'Settings for new files': 'Réglages des nouveaux fichiers',
    'Paused': 'En pause',
    'Watching': 'Surveillé',
    'Watch Folder': 'Surveiller un dossier',
    'Video files that appear in the folder, or in folders inside it, join the job list once they are complete. A file is never taken twice.': 'Les fichiers vidéo qui apparaissent dans le dossier, ou dans ses sous-dossiers, rejoignent la liste des tâches une fois complets. Un fichier n’est jamais pris deux fois.',
    'The folder to watch': 'Le dossier à surveiller',
    'Choose…': 'Choisir…',
    'Also add the videos already in the folder': 'Ajouter aussi les vidéos déjà présentes dans le dossier',
    'Watch': 'Surveiller',
    'There is no folder there.': 'Il n’y a pas de dossier à cet endroit.',
    'This folder is watched already.': 'Ce dossier est déjà surveillé.',
    'This folder lies in “%1”, which is watched already.': 'Ce dossier se trouve dans « %1 », déjà surveillé.',
    '“%1”, inside this folder, is watched already; stop watching it first.': '« %1 », dans ce dossier, est déjà surveillé ; cessez d’abord de le surveiller.',
    'New video files in a folder join the list as they arrive.': 'Les nouveaux fichiers vidéo d’un dossier rejoignent la liste à leur arrivée.',
    '“%1” not added: %2': '« %1 » non ajouté : %2',
    'every %1 s': 'toutes les %1 s',
    'Look through it every 30 seconds (a network share)': 'Le parcourir toutes les 30 secondes (partage réseau)',
    'Files that other computers write into a network share are not reported to this one: the folder is looked through instead. Ticked by itself for a network share.': 'Les fichiers que d’autres ordinateurs écrivent dans un partage réseau ne sont pas signalés à celui-ci : le dossier est donc parcouru à intervalles. Coché d’office pour un partage réseau.',
    'The folder is not there; it is watched again once it is back.': 'Le dossier n’est pas là ; il sera de nouveau surveillé dès son retour.',
    'missing: %1: watched again once it is back': 'absent : %1 : surveillé de nouveau dès son retour',
    'inotify cannot be used (%1)': 'inotify ne peut pas être utilisé (%1)',
    '“%1” cannot be watched (%2); its new files are not seen': '« %1 » ne peut pas être surveillé (%2) ; ses nouveaux fichiers ne sont pas vus',
    '“%1”: the name is not valid UTF-8, so what it holds is not seen': '« %1 » : le nom n’est pas en UTF-8 valide, son contenu n’est donc pas vu',
    '“%1”: the name is not valid UTF-8, so it cannot be opened; rename it to convert it': '« %1 » : le nom n’est pas en UTF-8 valide, le fichier ne peut donc pas être ouvert ; renommez-le pour le convertir',
    'it is not a record of this version': 'ce n’est pas un registre de cette version',
    'entry %1 is incomplete': 'l’entrée %1 est incomplète',
    'the record “%1” cannot be read (%2) and cannot be moved aside; files converted before may be converted again': 'le registre « %1 » ne peut pas être lu (%2) ni mis de côté ; des fichiers déjà convertis pourraient l’être de nouveau',
    'the record cannot be read (%1); it was kept as “%2” and a new one is started, so files converted before may be converted again': 'le registre ne peut pas être lu (%1) ; il a été gardé sous « %2 » et un nouveau est commencé, des fichiers déjà convertis pourraient donc l’être de nouveau',
    'the record “%1” cannot be written: %2': 'le registre « %1 » ne peut pas être écrit : %2',
    'Watched folders': 'Dossiers surveillés',
    'Not taken: “%1” is a copy of “%2”': 'Non pris : « %1 » est une copie de « %2 »',
}
FR_PLURAL = {
    "%n picture subtitle(s) cannot go into %1: left out":
        ["%n sous-titre en images ne peut pas aller dans le %1 : laissé de côté",
         "%n sous-titres en images ne peuvent pas aller dans le %1 : laissés de côté"],
    "%n channel(s)": ["%n canal", "%n canaux"],
    "%n converted": ["%n convertie", "%n converties"],
    "Delete %n jobs": ["Supprimer %n tâche", "Supprimer %n tâches"],
    "%n succeeded": ["%n réussie", "%n réussies"],
    "%n failed": ["%n en échec", "%n en échec"],
    "%n stopped": ["%n arrêtée", "%n arrêtées"],
    "%n not run": ["%n non lancée", "%n non lancées"],
    "%n incomplete": ["%n incomplète", "%n incomplètes"],
    "%n values tried in %1 s": ["%n valeur essayée en %1 s", "%n valeurs essayées en %1 s"],
    "Watching · %n new file(s) added":
        ["Surveillé · %n nouveau fichier ajouté", "Surveillé · %n nouveaux fichiers ajoutés"],
}
EN_PLURAL = {
    "Delete %n jobs": ["Delete %n job", "Delete %n jobs"],
    "%n picture subtitle(s) cannot go into %1: left out":
        ["%n picture subtitle cannot go into %1: left out", "%n picture subtitles cannot go into %1: left out"],
    "%n channel(s)": ["%n channel", "%n channels"],
    "Watching · %n new file(s) added": ["Watching · %n new file added", "Watching · %n new files added"],
}


def fill(path, singular, plural, lenders=()):
    tree = ET.parse(path)
    missing = []
    # A text that moved to another context keeps the translation it had there.
    known = {}
    lent = [ET.parse(lender).getroot() for lender in lenders]
    for message in [m for root in [tree.getroot()] + lent for m in root.iter("message")]:
        translation = message.find("translation")
        if message.get("numerus") != "yes" and translation.text and translation.get("type") != "unfinished":
            known.setdefault(message.find("source").text, translation.text)
    for message in tree.getroot().iter("message"):
        source = message.find("source").text
        translation = message.find("translation")
        finished = translation.get("type") is None and (translation.text or len(translation))
        if finished or translation.get("type") in ("obsolete", "vanished"):
            continue  # a translation someone made stays as it is
        if message.get("numerus") == "yes":
            forms = plural.get(source)
            if not forms:
                missing.append(source) if path.name.endswith("fr.ts") else None
                continue
            for child in list(translation):
                translation.remove(child)
            translation.text = None
            for form in forms:
                ET.SubElement(translation, "numerusform").text = form
        elif source in singular:
            translation.text = singular[source]
        elif source in known:
            translation.text = known[source]
        elif translation.text:
            continue
        else:
            if path.name.endswith("fr.ts"):
                missing.append(source)
            continue
        translation.attrib.pop("type", None)
    ET.indent(tree, "    ")
    with open(path, "wb") as out:
        out.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        tree.write(out, encoding="utf-8", xml_declaration=False)
        out.write(b"\n")
    return missing


here = Path(__file__).resolve().parent
fill(here / "tavrix_en.ts", HELP_EN, EN_PLURAL)
left = fill(here / "tavrix_fr.ts", FR, FR_PLURAL, [a for a in sys.argv[1:] if a.endswith("fr.ts")])
if left:
    print("French texts still missing:", *left, sep="\n  ", file=sys.stderr)
    sys.exit(1)
