<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
    <context>
        <name>AppDelegate</name>
        <message>
            <source>%1 The list starts empty and is not saved.</source>
            <translation>%1 La liste commence vide et n’est pas enregistrée.</translation>
        </message>
        <message>
            <source>Job list</source>
            <translation>Liste des tâches</translation>
        </message>
    </context>
    <context>
        <name>BatchEncoder</name>
        <message>
            <source>On %1: %2</source>
            <translation>Sur %1 : %2</translation>
        </message>
        <message>
            <source>Cannot make a temporary folder: %1</source>
            <translation>Impossible de créer un dossier temporaire : %1</translation>
        </message>
        <message>
            <source>Cannot write the list of jobs: %1</source>
            <translation>Impossible d’écrire la liste des tâches : %1</translation>
        </message>
        <message>
            <source>GNU parallel could not run the job: %1</source>
            <translation>GNU parallel n’a pas pu lancer la tâche : %1</translation>
        </message>
        <message>
            <source>GNU parallel did not run the job: %1</source>
            <translation>GNU parallel n’a pas lancé la tâche : %1</translation>
        </message>
        <message>
            <source>The host %1 could not be reached: %2</source>
            <translation>L’hôte %1 est injoignable : %2</translation>
        </message>
        <message>
            <source>On %1: the converted file did not come back.</source>
            <translation>Sur %1 : le fichier converti n’est pas revenu.</translation>
        </message>
        <message>
            <source>Stopped by the user</source>
            <translation>Arrêté par l’utilisateur</translation>
        </message>
        <message>
            <source>The source file “%1” no longer exists.</source>
            <translation>Le fichier source « %1 » n’existe plus.</translation>
        </message>
        <message>
            <source>The job has no destination.</source>
            <translation>La tâche n’a pas de destination.</translation>
        </message>
        <message>
            <source>The shell could not be started: %1</source>
            <translation>Impossible de lancer le shell : %1</translation>
        </message>
        <message>
            <source>ffmpeg was ended by signal %1 (%2).</source>
            <translation>ffmpeg a été arrêté par le signal %1 (%2).</translation>
        </message>
        <message>
            <source>ffmpeg exited with status %1.</source>
            <translation>ffmpeg s’est terminé avec le code %1.</translation>
        </message>
        <message>
            <source>ffmpeg exited with status %1: %2</source>
            <translation>ffmpeg s’est terminé avec le code %1 : %2</translation>
        </message>
        <message>
            <source>ffmpeg ended without writing “%1”.</source>
            <translation>ffmpeg s’est terminé sans écrire « %1 ».</translation>
        </message>
        <message>
            <source>it holds no stream.</source>
            <translation>il ne contient aucun flux.</translation>
        </message>
        <message>
            <source>ffmpeg could not finish writing “%1”: %2</source>
            <translation>ffmpeg n’a pas pu finir d’écrire « %1 » : %2</translation>
        </message>
        <message>
            <source>ffmpeg ended without error, but “%1” cannot be read back: %2</source>
            <translation>ffmpeg s’est terminé sans erreur, mais « %1 » ne peut pas être relu : %2</translation>
        </message>
        <message>
            <source>The finished file could not be named “%1”: %2</source>
            <translation>Le fichier terminé n’a pas pu être nommé « %1 » : %2</translation>
        </message>
        <message>
            <source>the file being written was removed or replaced meanwhile.</source>
            <translation>le fichier en cours d’écriture a été supprimé ou remplacé entre-temps.</translation>
        </message>
        <message>
            <source>no free name is left.</source>
            <translation>il ne reste aucun nom libre.</translation>
        </message>
        <message>
            <source>The run was stopped after the file before it</source>
            <translation>La série a été arrêtée après le fichier précédent</translation>
        </message>
        <message>
            <source>On %1: the converted file did not come back: %2</source>
            <translation>Sur %1 : le fichier converti n’est pas revenu : %2</translation>
        </message>
        <message>
            <source>The subtitle file has the same name as the source; rename one of them to convert on other hosts.</source>
            <translation>Le fichier de sous-titres porte le même nom que la source ; renommez l’un des deux pour convertir sur d’autres machines.</translation>
        </message>
        <message>
            <source>On %1:</source>
            <translation>Sur %1 :</translation>
        </message>
        <message>
            <source>The source “%1” is not a regular file (a folder, a pipe or a device); it is not converted.</source>
            <translation>La source « %1 » n’est pas un fichier ordinaire (un dossier, un tube ou un périphérique) ; elle n’est pas convertie.</translation>
        </message>
        <message>
            <source>Cannot create a folder in “%1”: %2</source>
            <translation>Impossible de créer un dossier dans « %1 » : %2</translation>
        </message>
        <message>
            <source>The folder “%1” was moved or replaced while ffmpeg ran.</source>
            <translation>Le dossier « %1 » a été déplacé ou remplacé pendant le travail de ffmpeg.</translation>
        </message>
        <message>
            <source>The output lasts %1 s of the source's %2 s</source>
            <translation>La sortie dure %1 s sur les %2 s de la source</translation>
        </message>
        <message>
            <source>The output lasts %1 s of the %2 s asked for</source>
            <translation>La sortie dure %1 s sur les %2 s demandées</translation>
        </message>
        <message>
            <source>GNU parallel cannot read the hosts file “%1”: %2</source>
            <translation>GNU parallel ne peut pas lire le fichier d’hôtes « %1 » : %2</translation>
        </message>
        <message>
            <source>ffmpeg is not installed on %1 (or not on its PATH).</source>
            <translation>ffmpeg n’est pas installé sur %1 (ou pas dans son PATH).</translation>
        </message>
        <message>
            <source>Already %1: not converted.</source>
            <translation>Déjà en %1 : non converti.</translation>
        </message>
        <message>
            <source>Larger than the source (%1 %): not kept</source>
            <translation>Plus gros que la source (%1 %) : non gardé</translation>
        </message>
        <message>
            <source>The quality target could not be searched: %1</source>
            <translation>La qualité visée n’a pas pu être cherchée : %1</translation>
        </message>
    </context>
    <context>
        <name>BuiltInPresets</name>
        <message>
            <source>H.264 MP4 — plays everywhere</source>
            <translation>H.264 MP4 — se lit partout</translation>
        </message>
        <message>
            <source>x264 at quality 22, AAC stereo 160 kbit/s, text subtitles: for any player, TV or browser</source>
            <translation>x264 en qualité 22, AAC stéréo 160 kbit/s, sous-titres texte : pour tout lecteur, téléviseur ou navigateur</translation>
        </message>
        <message>
            <source>HEVC MKV — half the size</source>
            <translation>HEVC MKV — moitié moins lourd</translation>
        </message>
        <message>
            <source>AV1 MKV — archive</source>
            <translation>AV1 MKV — archivage</translation>
        </message>
        <message>
            <source>SVT-AV1 at quality 32, 10-bit and HDR kept, every audio track in Opus with its channels, every subtitle and chapter</source>
            <translation>SVT-AV1 en qualité 32, 10 bits et HDR gardés, toutes les pistes audio en Opus avec leurs canaux, tous les sous-titres et chapitres</translation>
        </message>
        <message>
            <source>VP9 WebM — for the web</source>
            <translation>VP9 WebM — pour le web</translation>
        </message>
        <message>
            <source>VP9 at quality 32, Opus stereo, text subtitles: for web pages</source>
            <translation>VP9 en qualité 32, Opus stéréo, sous-titres texte : pour les pages web</translation>
        </message>
        <message>
            <source>Remux to MP4 — no re-encoding</source>
            <translation>Remuxer en MP4 — sans réencodage</translation>
        </message>
        <message>
            <source>Video and every audio track copied as they are into MP4; fast, nothing lost</source>
            <translation>La vidéo et toutes les pistes audio copiées telles quelles en MP4 ; rapide, rien de perdu</translation>
        </message>
        <message>
            <source>Remux to MKV — no re-encoding</source>
            <translation>Remuxer en MKV — sans réencodage</translation>
        </message>
        <message>
            <source>Video, every audio track and every subtitle copied as they are into MKV; fast, nothing lost</source>
            <translation>La vidéo, toutes les pistes audio et tous les sous-titres copiés tels quels en MKV ; rapide, rien de perdu</translation>
        </message>
        <message>
            <source>Phone — 720p H.264</source>
            <translation>Téléphone — 720p H.264</translation>
        </message>
        <message>
            <source>x264 made no larger than 1280×720 (never enlarged), AAC stereo 128 kbit/s</source>
            <translation>x264 ramené à 1280×720 au plus (jamais agrandi), AAC stéréo 128 kbit/s</translation>
        </message>
        <message>
            <source>Hardware H.264 — fast</source>
            <translation>H.264 matériel — rapide</translation>
        </message>
        <message>
            <source>The first H.264 encoder of the graphics card that works here, quality 24, AAC stereo: fast, larger files</source>
            <translation>Le premier encodeur H.264 de la carte graphique qui fonctionne ici, qualité 24, AAC stéréo : rapide, fichiers plus gros</translation>
        </message>
        <message>
            <source>Hardware HEVC — fast</source>
            <translation>HEVC matériel — rapide</translation>
        </message>
        <message>
            <source>The first HEVC encoder of the graphics card that works here, quality 24, AAC stereo: fast, smaller than H.264</source>
            <translation>Le premier encodeur HEVC de la carte graphique qui fonctionne ici, qualité 24, AAC stéréo : rapide, plus léger que H.264</translation>
        </message>
        <message>
            <source>x265 at quality 27, 10-bit and HDR kept, every audio track copied, every subtitle</source>
            <translation>x265 en qualité 27, 10 bits et HDR gardés, toutes les pistes audio copiées, tous les sous-titres</translation>
        </message>
    </context>
    <context>
        <name>CommandLine</name>
        <message>
            <source>“%1” has no video stream to encode.</source>
            <translation>« %1 » n’a pas de flux vidéo à encoder.</translation>
        </message>
        <message>
            <source>%1 cannot be used: %2</source>
            <translation>%1 ne peut pas être utilisé : %2</translation>
        </message>
        <message>
            <source>%1 has no constant quality mode; choose a bitrate.</source>
            <translation>%1 n’a pas de mode à qualité constante ; choisissez un débit.</translation>
        </message>
        <message>
            <source>%1 needs a VAAPI device (/dev/dri/renderD*); none was found.</source>
            <translation>%1 a besoin d’un périphérique VAAPI (/dev/dri/renderD*) ; aucun n’a été trouvé.</translation>
        </message>
        <message>
            <source>The crop “%1” is not of the form width:height:x:y.</source>
            <translation>Le recadrage « %1 » n’est pas de la forme largeur:hauteur:x:y.</translation>
        </message>
        <message>
            <source>The crop “%1” does not fit in the picture (%2×%3).</source>
            <translation>Le recadrage « %1 » déborde de l’image (%2×%3).</translation>
        </message>
    </context>
    <context>
        <name>ContentView</name>
        <message>
            <source>Open Files…</source>
            <translation>Ouvrir des fichiers…</translation>
        </message>
        <message>
            <source>Open Document…</source>
            <translation>Ouvrir un document…</translation>
        </message>
        <message>
            <source>Open Directory…</source>
            <translation>Ouvrir un dossier…</translation>
        </message>
        <message>
            <source>Preferences…</source>
            <translation>Préférences…</translation>
        </message>
        <message>
            <source>Start Encoding</source>
            <translation>Lancer l’encodage</translation>
        </message>
        <message>
            <source>Delete All Jobs</source>
            <translation>Supprimer toutes les tâches</translation>
        </message>
        <message>
            <source>Destination Dir</source>
            <translation>Dossier de destination</translation>
        </message>
        <message>
            <source>Path of destinations files</source>
            <translation>Chemin des fichiers de destination</translation>
        </message>
        <message>
            <source>Destination Dir.help</source>
            <translation>Dossier où les fichiers convertis sont écrits. Laissez-le vide pour écrire chaque fichier à côté de sa source. Il s’applique à toutes les tâches de la liste quand vous appuyez sur Entrée ou quittez le champ.</translation>
        </message>
        <message>
            <source>Choose the destination folder</source>
            <translation>Choisir le dossier de destination</translation>
        </message>
        <message>
            <source>Choose the destination directory</source>
            <translation>Choisir le dossier de destination</translation>
        </message>
        <message>
            <source>File</source>
            <translation>Fichier</translation>
        </message>
        <message>
            <source>File.help</source>
            <translation>Importer un ou plusieurs fichiers vidéo dans la liste (Ctrl+I).</translation>
        </message>
        <message>
            <source>Directory</source>
            <translation>Dossier</translation>
        </message>
        <message>
            <source>Directory.help</source>
            <translation>Importer toutes les vidéos d’un dossier et de ses sous-dossiers (Ctrl+D).</translation>
        </message>
        <message>
            <source>Setup</source>
            <translation>Réglages</translation>
        </message>
        <message>
            <source>Setup.help</source>
            <translation>Modifier les réglages par défaut des fichiers importés ensuite (Ctrl+P).</translation>
        </message>
        <message>
            <source>Encoding</source>
            <translation>Encodage</translation>
        </message>
        <message>
            <source>Encoding.help</source>
            <translation>Convertir les tâches pas encore converties, l’une après l’autre (Ctrl+E).</translation>
        </message>
        <message>
            <source>Tools missing</source>
            <translation>Outils manquants</translation>
        </message>
        <message>
            <source>Tavrix needs ffmpeg to convert videos and mediainfo to read them. Until they are installed, files can still be listed but not probed or converted.</source>
            <translation>Tavrix a besoin de ffmpeg pour convertir les vidéos et de mediainfo pour les lire. Tant qu’ils ne sont pas installés, les fichiers peuvent être listés mais ni analysés ni convertis.</translation>
        </message>
        <message>
            <source>Import video file</source>
            <translation>Importer un fichier vidéo</translation>
        </message>
        <message>
            <source>Import video file from directory</source>
            <translation>Importer les fichiers vidéo d’un dossier</translation>
        </message>
        <message>
            <source>Not imported: “%1” does not exist.</source>
            <translation>Non importé : « %1 » n’existe pas.</translation>
        </message>
        <message>
            <source>⚠ The folder “%1” does not exist; encoding into it will fail until it is created.</source>
            <translation>⚠ Le dossier « %1 » n’existe pas ; l’encodage y échouera tant qu’il n’est pas créé.</translation>
        </message>
        <message>
            <source>%1: no such file or folder</source>
            <translation>%1 : fichier ou dossier introuvable</translation>
        </message>
        <message>
            <source>Some of the files given were not imported.</source>
            <translation>Certains des fichiers indiqués n’ont pas été importés.</translation>
        </message>
        <message>
            <source>… and %1 more</source>
            <translation>… et %1 de plus</translation>
        </message>
        <message>
            <source>Not imported</source>
            <translation>Non importés</translation>
        </message>
        <message>
            <source>These names are not valid UTF-8, so Tavrix cannot open them. Rename them to import them.</source>
            <translation>Ces noms ne sont pas en UTF-8 valide : Tavrix ne peut pas les ouvrir. Renommez-les pour les importer.</translation>
        </message>
        <message>
            <source>Convert again?</source>
            <translation>Convertir à nouveau ?</translation>
        </message>
        <message>
            <source>Every job in the list has been converted. Convert them all again?</source>
            <translation>Toutes les tâches de la liste ont été converties. Les convertir toutes à nouveau ?</translation>
        </message>
        <message>
            <source>The files already written are kept; the new ones get new names.</source>
            <translation>Les fichiers déjà écrits sont conservés ; les nouveaux prennent de nouveaux noms.</translation>
        </message>
        <message>
            <source>“If the output exists” is set to Skip in Setup: jobs whose file is still there will be skipped.</source>
            <translation>« Si la sortie existe » vaut Ignorer dans les réglages : les tâches dont le fichier est toujours là seront ignorées.</translation>
        </message>
        <message>
            <source>The files already written are replaced once the new ones are complete.</source>
            <translation>Les fichiers déjà écrits sont remplacés une fois les nouveaux terminés.</translation>
        </message>
        <message>
            <source>Convert Again</source>
            <translation>Convertir à nouveau</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Annuler</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1 : %2</translation>
        </message>
        <message numerus="yes">
            <source>%n succeeded</source>
            <translation>
                <numerusform>%n réussie</numerusform>
                <numerusform>%n réussies</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n failed</source>
            <translation>
                <numerusform>%n en échec</numerusform>
                <numerusform>%n en échec</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n stopped</source>
            <translation>
                <numerusform>%n arrêtée</numerusform>
                <numerusform>%n arrêtées</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n not run</source>
            <translation>
                <numerusform>%n non lancée</numerusform>
                <numerusform>%n non lancées</numerusform>
            </translation>
        </message>
        <message>
            <source>Encoding finished</source>
            <translation>Encodage terminé</translation>
        </message>
        <message>
            <source>Encoding finished: %1.</source>
            <translation>Encodage terminé : %1.</translation>
        </message>
        <message>
            <source>Retry Failed</source>
            <translation>Relancer les échecs</translation>
        </message>
        <message>
            <source>Convert again the jobs that failed or were stopped, with their own settings.</source>
            <translation>Convertir à nouveau les tâches en échec ou arrêtées, avec leurs propres réglages.</translation>
        </message>
        <message>
            <source>When done</source>
            <translation>Une fois terminé</translation>
        </message>
        <message numerus="yes">
            <source>%n incomplete</source>
            <translation>
                <numerusform>%n incomplète</numerusform>
                <numerusform>%n incomplètes</numerusform>
            </translation>
        </message>
        <message>
            <source>Tavrix cannot convert these files: it needs a video stream.</source>
            <translation>Tavrix ne peut pas convertir ces fichiers : il lui faut un flux vidéo.</translation>
        </message>
        <message>
            <source>Preset for new files</source>
            <translation>Préréglage des nouveaux fichiers</translation>
        </message>
        <message>
            <source>Watch Folder…</source>
            <translation>Surveiller un dossier…</translation>
        </message>
        <message>
            <source>New video files in a folder join the list as they arrive.</source>
            <translation>Les nouveaux fichiers vidéo d’un dossier rejoignent la liste à leur arrivée.</translation>
        </message>
        <message>
            <source>“%1” not added: %2</source>
            <translation>« %1 » non ajouté : %2</translation>
        </message>
        <message>
            <source>Watched folders</source>
            <translation>Dossiers surveillés</translation>
        </message>
    </context>
    <context>
        <name>DetailView</name>
        <message>
            <source>Oups</source>
            <translation>Oups</translation>
        </message>
        <message>
            <source>This job has no source file to edit.</source>
            <translation>Cette tâche n’a pas de fichier source à modifier.</translation>
        </message>
        <message>
            <source>Close</source>
            <translation>Fermer</translation>
        </message>
        <message>
            <source>File</source>
            <translation>Fichier</translation>
        </message>
        <message>
            <source>Source</source>
            <translation>Source</translation>
        </message>
        <message>
            <source>Destination</source>
            <translation>Destination</translation>
        </message>
        <message>
            <source>Export video</source>
            <translation>Exporter la vidéo</translation>
        </message>
        <message>
            <source>The name template chosen in Setup makes this name</source>
            <translation>Le modèle de nom choisi dans les réglages donne ce nom</translation>
        </message>
        <message>
            <source>Container</source>
            <translation>Conteneur</translation>
        </message>
        <message>
            <source>Quicktime</source>
            <translation>Quicktime</translation>
        </message>
        <message>
            <source>Video</source>
            <translation>Vidéo</translation>
        </message>
        <message>
            <source>Tracks</source>
            <translation>Pistes</translation>
        </message>
        <message>
            <source>Codec</source>
            <translation>Codec</translation>
        </message>
        <message>
            <source>Bitrate</source>
            <translation>Débit</translation>
        </message>
        <message>
            <source>Size</source>
            <translation>Taille</translation>
        </message>
        <message>
            <source>Width</source>
            <translation>Largeur</translation>
        </message>
        <message>
            <source>Height</source>
            <translation>Hauteur</translation>
        </message>
        <message>
            <source>Crop</source>
            <translation>Recadrage</translation>
        </message>
        <message>
            <source>none</source>
            <translation>aucun</translation>
        </message>
        <message>
            <source>manual</source>
            <translation>manuel</translation>
        </message>
        <message>
            <source>Autocrop</source>
            <translation>Recadrage auto</translation>
        </message>
        <message>
            <source>Find the black borders of the picture</source>
            <translation>Trouver les bandes noires de l’image</translation>
        </message>
        <message>
            <source>Preview</source>
            <translation>Aperçu</translation>
        </message>
        <message>
            <source>Preset</source>
            <translation>Préréglage</translation>
        </message>
        <message>
            <source>Profile</source>
            <translation>Profil</translation>
        </message>
        <message>
            <source>Tune</source>
            <translation>Optimisation</translation>
        </message>
        <message>
            <source>Audio</source>
            <translation>Audio</translation>
        </message>
        <message>
            <source>Sampling</source>
            <translation>Échantillonnage</translation>
        </message>
        <message>
            <source>Other</source>
            <translation>Autre</translation>
        </message>
        <message>
            <source>Other params</source>
            <translation>Autres paramètres</translation>
        </message>
        <message>
            <source>params</source>
            <translation>paramètres</translation>
        </message>
        <message>
            <source>Subtitle</source>
            <translation>Sous-titres</translation>
        </message>
        <message>
            <source>No subtitle</source>
            <translation>Pas de sous-titres</translation>
        </message>
        <message>
            <source>Subtitle external</source>
            <translation>Sous-titres externes</translation>
        </message>
        <message>
            <source>Language</source>
            <translation>Langue</translation>
        </message>
        <message>
            <source>Import subtitle</source>
            <translation>Importer des sous-titres</translation>
        </message>
        <message>
            <source>Command</source>
            <translation>Commande</translation>
        </message>
        <message>
            <source>The command this job would run with the choices above</source>
            <translation>La commande que cette tâche lancerait avec les choix ci-dessus</translation>
        </message>
        <message>
            <source>Copy</source>
            <translation>Copier</translation>
        </message>
        <message>
            <source>Ok</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Annuler</translation>
        </message>
        <message>
            <source>Looking for black borders…</source>
            <translation>Recherche des bandes noires…</translation>
        </message>
        <message>
            <source>No black borders found: the crop is unchanged.</source>
            <translation>Aucune bande noire trouvée : le recadrage est inchangé.</translation>
        </message>
        <message>
            <source>No command: %1</source>
            <translation>Pas de commande : %1</translation>
        </message>
        <message>
            <source>Rate</source>
            <translation>Débit</translation>
        </message>
        <message>
            <source>Passthrough: the video is copied as it is; rate, size, deinterlacing, crop, preset, profile and tune do not apply.</source>
            <translation>Copie directe : la vidéo est copiée telle quelle ; débit, taille, désentrelacement, recadrage, préréglage, profil et réglage ne s’appliquent pas.</translation>
        </message>
        <message>
            <source>Channels</source>
            <translation>Canaux</translation>
        </message>
        <message>
            <source>Stereo folds a surround source to two channels; Keep writes the source's layout (MP3 keeps two).</source>
            <translation>Stéréo ramène une source multicanal à deux canaux ; Conserver garde la disposition de la source (le MP3 en garde deux).</translation>
        </message>
        <message>
            <source>Convert HDR to SDR</source>
            <translation>Convertir HDR en SDR</translation>
        </message>
        <message>
            <source>No audio</source>
            <translation>Pas de son</translation>
        </message>
        <message>
            <source>Subtitles</source>
            <translation>Sous-titres</translation>
        </message>
        <message>
            <source>Burn in</source>
            <translation>Incruster</translation>
        </message>
        <message>
            <source>None</source>
            <translation>Aucun</translation>
        </message>
        <message>
            <source>Draws one subtitle track into the picture, for players that show no subtitles; it is then not kept as a track.</source>
            <translation>Dessine une piste de sous-titres dans l’image, pour les lecteurs qui n’affichent pas de sous-titres ; elle n’est alors pas gardée comme piste.</translation>
        </message>
        <message>
            <source>Date</source>
            <translation>Date</translation>
        </message>
        <message>
            <source>Keep the source's date</source>
            <translation>Garder la date de la source</translation>
        </message>
        <message>
            <source>The converted file gets the modification time of its source.</source>
            <translation>Le fichier converti reçoit la date de modification de sa source.</translation>
        </message>
        <message>
            <source>modified</source>
            <translation>modifié</translation>
        </message>
        <message>
            <source>A setting differs from the preset's since it was chosen.</source>
            <translation>Un réglage diffère de celui du préréglage depuis qu’il a été choisi.</translation>
        </message>
        <message>
            <source>Save as Preset…</source>
            <translation>Enregistrer comme préréglage…</translation>
        </message>
        <message>
            <source>At most</source>
            <translation>Au plus</translation>
        </message>
        <message>
            <source>The width and height are the most the picture may measure: a larger one is made smaller with its shape kept, a smaller one is never enlarged.</source>
            <translation>La largeur et la hauteur sont le maximum de l’image : une image plus grande est réduite en gardant ses proportions, une plus petite n’est jamais agrandie.</translation>
        </message>
    </context>
    <context>
        <name>DraftProblems</name>
        <message>
            <source>A destination is needed.</source>
            <translation>Une destination est nécessaire.</translation>
        </message>
        <message>
            <source>The destination needs a whole path, from the top folder.</source>
            <translation>La destination doit être un chemin complet, depuis le dossier racine.</translation>
        </message>
        <message>
            <source>%1 is a folder: the destination needs a file name.</source>
            <translation>%1 est un dossier : la destination doit être un nom de fichier.</translation>
        </message>
        <message>
            <source>The folder %1 does not exist.</source>
            <translation>Le dossier %1 n’existe pas.</translation>
        </message>
        <message>
            <source>The folder %1 cannot be written to.</source>
            <translation>Impossible d’écrire dans le dossier %1.</translation>
        </message>
        <message>
            <source>The crop needs four whole numbers: width:height:x:y.</source>
            <translation>Le recadrage demande quatre nombres entiers : largeur:hauteur:x:y.</translation>
        </message>
        <message>
            <source>The crop %1 does not fit in the picture (%2×%3).</source>
            <translation>Le recadrage %1 ne tient pas dans l’image (%2×%3).</translation>
        </message>
        <message>
            <source>“%1” is a folder, not a subtitle file.</source>
            <translation>« %1 » est un dossier, pas un fichier de sous-titres.</translation>
        </message>
        <message>
            <source>The subtitle file “%1” cannot be read.</source>
            <translation>Le fichier de sous-titres « %1 » ne peut pas être lu.</translation>
        </message>
    </context>
    <context>
        <name>EncoderCatalog</name>
        <message>
            <source>no VAAPI device (/dev/dri/renderD*)</source>
            <translation>aucun périphérique VAAPI (/dev/dri/renderD*)</translation>
        </message>
        <message>
            <source>%1 cannot be used: %2</source>
            <translation>%1 est inutilisable : %2</translation>
        </message>
        <message>
            <source>This job will not be encoded: %1</source>
            <translation>Cette tâche ne sera pas encodée : %1</translation>
        </message>
    </context>
    <context>
        <name>FolderIntake</name>
        <message>
            <source>The folder is not there; it is watched again once it is back.</source>
            <translation>Le dossier n’est pas là ; il sera de nouveau surveillé dès son retour.</translation>
        </message>
        <message>
            <source>Not taken: “%1” is a copy of “%2”</source>
            <translation>Non pris : « %1 » est une copie de « %2 »</translation>
        </message>
    </context>
    <context>
        <name>FolderWatch</name>
        <message>
            <source>“%1” cannot be watched (%2); its new files are not seen</source>
            <translation>« %1 » ne peut pas être surveillé (%2) ; ses nouveaux fichiers ne sont pas vus</translation>
        </message>
        <message>
            <source>“%1”: the name is not valid UTF-8, so what it holds is not seen</source>
            <translation>« %1 » : le nom n’est pas en UTF-8 valide, son contenu n’est donc pas vu</translation>
        </message>
        <message>
            <source>“%1”: the name is not valid UTF-8, so it cannot be opened; rename it to convert it</source>
            <translation>« %1 » : le nom n’est pas en UTF-8 valide, le fichier ne peut donc pas être ouvert ; renommez-le pour le convertir</translation>
        </message>
        <message>
            <source>inotify cannot be used (%1)</source>
            <translation>inotify ne peut pas être utilisé (%1)</translation>
        </message>
    </context>
    <context>
        <name>ImageView</name>
        <message>
            <source>Preview</source>
            <translation>Aperçu</translation>
        </message>
        <message>
            <source>Ok</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>InstanceServer</name>
        <message>
            <source>Another Tavrix instance is listening on “%1”.</source>
            <translation>Une autre instance de Tavrix écoute sur « %1 ».</translation>
        </message>
        <message>
            <source>The instance channel “%1” cannot be opened: %2</source>
            <translation>Le canal d’instance « %1 » ne peut pas être ouvert : %2</translation>
        </message>
    </context>
    <context>
        <name>JobDelegate</name>
        <message>
            <source>Converting… %1%</source>
            <translation>Conversion… %1 %</translation>
        </message>
        <message>
            <source>%1
Press to edit this job.</source>
            <translation>%1
Cliquez pour modifier cette tâche.</translation>
        </message>
        <message>
            <source>Output: %1</source>
            <translation>Sortie : %1</translation>
        </message>
        <message>
            <source>%1: written to %2</source>
            <translation>%1 : écrit dans %2</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1 : %2</translation>
        </message>
        <message>
            <source>Written to %1</source>
            <translation>Écrit dans %1</translation>
        </message>
        <message>
            <source>%1
Output: %2</source>
            <translation>%1
Sortie : %2</translation>
        </message>
    </context>
    <context>
        <name>JobListModel</name>
        <message>
            <source>Interlaced</source>
            <translation>Entrelacé</translation>
        </message>
        <message>
            <source>%1 to SDR</source>
            <translation>%1 vers SDR</translation>
        </message>
    </context>
    <context>
        <name>JobListView</name>
        <message>
            <source>Delete</source>
            <translation>Supprimer</translation>
        </message>
        <message numerus="yes">
            <source>Delete %n jobs</source>
            <translation>
                <numerusform>Supprimer %n tâche</numerusform>
                <numerusform>Supprimer %n tâches</numerusform>
            </translation>
        </message>
        <message>
            <source>Drop video files or folders here, or use “File” or “Directory” below.</source>
            <translation>Déposez ici des fichiers vidéo ou des dossiers, ou utilisez « Fichier » ou « Dossier » ci-dessous.</translation>
        </message>
        <message>
            <source>Show Log</source>
            <translation>Afficher le journal</translation>
        </message>
        <message>
            <source>Apply Preset</source>
            <translation>Appliquer un préréglage</translation>
        </message>
    </context>
    <context>
        <name>JobResult</name>
        <message>
            <source>Succeeded</source>
            <translation>Réussi</translation>
        </message>
        <message>
            <source>Failed</source>
            <translation>Échoué</translation>
        </message>
        <message>
            <source>Not run</source>
            <translation>Non lancé</translation>
        </message>
        <message>
            <source>Stopped</source>
            <translation>Arrêté</translation>
        </message>
        <message>
            <source>Interrupted</source>
            <translation>Interrompu</translation>
        </message>
        <message>
            <source>written to %1 (%2)</source>
            <translation>écrit dans %1 (%2)</translation>
        </message>
        <message>
            <source>Incomplete</source>
            <translation>Incomplète</translation>
        </message>
    </context>
    <context>
        <name>JobRules</name>
        <message>
            <source>The subtitle file “%1” does not exist.</source>
            <translation>Le fichier de sous-titres « %1 » n’existe pas.</translation>
        </message>
        <message>
            <source>MP4 cannot hold the source's %1 video as it is: choose MKV, or an encoder.</source>
            <translation>Le MP4 ne peut pas contenir telle quelle la vidéo %1 de la source : choisissez MKV, ou un encodeur.</translation>
        </message>
        <message numerus="yes">
            <source>%n picture subtitle(s) cannot go into %1: left out</source>
            <translation>
                <numerusform>%n sous-titre en images ne peut pas aller dans le %1 : laissé de côté</numerusform>
                <numerusform>%n sous-titres en images ne peuvent pas aller dans le %1 : laissés de côté</numerusform>
            </translation>
        </message>
        <message>
            <source>The subtitle file “%1” holds picture subtitles (%2), which %3 cannot hold; choose Matroska or a text subtitle file.</source>
            <translation>Le fichier de sous-titres « %1 » contient des sous-titres en images (%2), que le %3 ne peut pas contenir ; choisissez Matroska ou un fichier de sous-titres texte.</translation>
        </message>
        <message>
            <source>WebM cannot hold the source's %1 video as it is: choose libsvtav1 or libvpx-vp9, or MKV.</source>
            <translation>Le WebM ne peut pas contenir telle quelle la vidéo %1 de la source : choisissez libsvtav1 ou libvpx-vp9, ou MKV.</translation>
        </message>
        <message>
            <source>WebM holds only VP9 or AV1 video, which %1 does not write: choose libsvtav1 or libvpx-vp9, or MKV.</source>
            <translation>Le WebM ne contient que de la vidéo VP9 ou AV1, que %1 n’écrit pas : choisissez libsvtav1 ou libvpx-vp9, ou MKV.</translation>
        </message>
        <message>
            <source>WebM holds only Opus or Vorbis audio, which %1 does not write: choose libopus, or MKV.</source>
            <translation>Le WebM ne contient que du son Opus ou Vorbis, que %1 n’écrit pas : choisissez libopus, ou MKV.</translation>
        </message>
        <message>
            <source>WebM cannot hold the source's audio stream “%1” as it is: choose libopus, or MKV.</source>
            <translation>Le WebM ne peut pas contenir tel quel le flux audio « %1 » de la source : choisissez libopus, ou MKV.</translation>
        </message>
        <message>
            <source>MP4 holds FLAC audio only in ffmpeg's experimental mode: choose MKV, or another audio encoder.</source>
            <translation>Le MP4 ne contient du FLAC que dans le mode expérimental de ffmpeg : choisissez MKV, ou un autre encodeur audio.</translation>
        </message>
        <message>
            <source>MP4 cannot hold the source's audio stream “%1” as it is: choose an audio encoder, or MKV.</source>
            <translation>Le MP4 ne peut pas contenir tel quel le flux audio « %1 » de la source : choisissez un encodeur audio, ou MKV.</translation>
        </message>
        <message>
            <source>%1 in %2</source>
            <translation>%1 dans du %2</translation>
        </message>
    </context>
    <context>
        <name>LogViewer</name>
        <message>
            <source>Log of %1</source>
            <translation>Journal de %1</translation>
        </message>
        <message>
            <source>The log “%1” cannot be read: %2</source>
            <translation>Le journal « %1 » ne peut pas être lu : %2</translation>
        </message>
        <message>
            <source>Copy</source>
            <translation>Copier</translation>
        </message>
    </context>
    <context>
        <name>MainWindow</name>
        <message>
            <source>&amp;File</source>
            <translation>&amp;Fichier</translation>
        </message>
        <message>
            <source>&amp;Quit</source>
            <translation>&amp;Quitter</translation>
        </message>
        <message>
            <source>&amp;Edit</source>
            <translation>&amp;Édition</translation>
        </message>
        <message>
            <source>E&amp;ncoding</source>
            <translation>E&amp;ncodage</translation>
        </message>
        <message>
            <source>Encoding in progress</source>
            <translation>Encodage en cours</translation>
        </message>
        <message>
            <source>Stop the conversion and quit?</source>
            <translation>Arrêter la conversion et quitter ?</translation>
        </message>
        <message>
            <source>Stop and Quit</source>
            <translation>Arrêter et quitter</translation>
        </message>
        <message>
            <source>Continue Encoding</source>
            <translation>Continuer l’encodage</translation>
        </message>
        <message>
            <source>Files being converted are left unfinished and removed; the jobs still waiting are not converted.</source>
            <translation>Les fichiers en cours de conversion restent inachevés et sont supprimés ; les tâches en attente ne sont pas converties.</translation>
        </message>
    </context>
    <context>
        <name>MediaProbe</name>
        <message>
            <source>No preview picture: %1</source>
            <translation>Pas d’image d’aperçu : %1</translation>
        </message>
        <message>
            <source>No border detection: %1</source>
            <translation>Pas de détection des bandes noires : %1</translation>
        </message>
        <message>
            <source>no video stream: mediainfo finds only audio in it</source>
            <translation>pas de flux vidéo : mediainfo n’y trouve que du son</translation>
        </message>
        <message>
            <source>not a media file: mediainfo finds no video or audio stream in it</source>
            <translation>pas un fichier multimédia : mediainfo n’y trouve ni flux vidéo ni flux audio</translation>
        </message>
    </context>
    <context>
        <name>MediaStream</name>
        <message>
            <source>mono</source>
            <translation>mono</translation>
        </message>
        <message>
            <source>stereo</source>
            <translation>stéréo</translation>
        </message>
        <message numerus="yes">
            <source>%n channel(s)</source>
            <translation>
                <numerusform>%n canal</numerusform>
                <numerusform>%n canaux</numerusform>
            </translation>
        </message>
        <message>
            <source>unknown format</source>
            <translation>format inconnu</translation>
        </message>
        <message>
            <source>SubRip text</source>
            <translation>texte SubRip</translation>
        </message>
        <message>
            <source>(pictures)</source>
            <translation>(images)</translation>
        </message>
        <message>
            <source>%1 kb/s</source>
            <translation>%1 kb/s</translation>
        </message>
        <message>
            <source>Default</source>
            <translation>Par défaut</translation>
        </message>
        <message>
            <source>Forced</source>
            <translation>Forcés</translation>
        </message>
    </context>
    <context>
        <name>OutputPlan</name>
        <message>
            <source>%1 is the source</source>
            <translation>%1 est la source</translation>
        </message>
        <message>
            <source>%1 is the source of another job</source>
            <translation>%1 est la source d’une autre tâche</translation>
        </message>
        <message>
            <source>%1 is written by an earlier job</source>
            <translation>%1 est écrit par une tâche précédente</translation>
        </message>
        <message>
            <source>%1 exists</source>
            <translation>%1 existe</translation>
        </message>
        <message>
            <source>%1 is not a regular file</source>
            <translation>%1 n’est pas un fichier ordinaire</translation>
        </message>
        <message>
            <source>No free name is left beside “%1”.</source>
            <translation>Il ne reste aucun nom libre à côté de « %1 ».</translation>
        </message>
        <message>
            <source>The destination is the source file itself; choose another name or folder.</source>
            <translation>La destination est le fichier source lui-même ; choisissez un autre nom ou un autre dossier.</translation>
        </message>
        <message>
            <source>The destination “%1” is the source of another job of this run.</source>
            <translation>La destination « %1 » est la source d’une autre tâche de cette série.</translation>
        </message>
        <message>
            <source>An earlier job of this run already writes “%1”.</source>
            <translation>Une tâche précédente de cette série écrit déjà « %1 ».</translation>
        </message>
        <message>
            <source>“%1” already exists; it is left as it is.</source>
            <translation>« %1 » existe déjà ; il est laissé tel quel.</translation>
        </message>
        <message>
            <source>“%1” is not a regular file (a link, a folder, a pipe or a device); nothing is written through it.</source>
            <translation>« %1 » n’est pas un fichier ordinaire (un lien, un dossier, un tube ou un périphérique) ; rien n’est écrit à travers lui.</translation>
        </message>
    </context>
    <context>
        <name>Pickers</name>
        <message>
            <source>Bitrate</source>
            <translation>Débit binaire</translation>
        </message>
        <message>
            <source>Quality</source>
            <translation>Qualité</translation>
        </message>
        <message>
            <source>Stereo</source>
            <translation>Stéréo</translation>
        </message>
        <message>
            <source>Keep</source>
            <translation>Conserver</translation>
        </message>
        <message>
            <source>Ticked: always deinterlace. Empty: never. A dash (auto): only when mediainfo finds the source interlaced.</source>
            <translation>Cochée : toujours désentrelacer. Vide : jamais. Un tiret (auto) : seulement quand mediainfo trouve la source entrelacée.</translation>
        </message>
        <message>
            <source>DeInterlace (auto)</source>
            <translation>Désentrelacer (auto)</translation>
        </message>
        <message>
            <source>DeInterlace</source>
            <translation>Désentrelacer</translation>
        </message>
        <message>
            <source>Constant quality: lower is better and larger (x264 and x265: 0 to 51, 18 looks like the source, 23 is their default; AV1 and VP9: 0 to 63, about 32 looks as good as x264's 23)</source>
            <translation>Qualité constante : plus bas donne mieux et plus gros (x264 et x265 : 0 à 51, 18 ressemble à la source, 23 est leur valeur par défaut ; AV1 et VP9 : 0 à 63, environ 32 vaut le 23 de x264)</translation>
        </message>
        <message>
            <source>For an HDR10 or HLG source. Ticked: tone-map the picture to standard range (BT.709). Empty: keep the high dynamic range and ten bits where the encoder carries them (libx265, libsvtav1, libvpx-vp9); other encoders always tone-map.</source>
            <translation>Pour une source HDR10 ou HLG. Cochée : ramener l’image à la plage standard (BT.709). Vide : garder la haute plage dynamique et les dix bits là où l’encodeur les porte (libx265, libsvtav1, libvpx-vp9) ; les autres encodeurs ramènent toujours à la plage standard.</translation>
        </message>
        <message>
            <source>Target quality</source>
            <translation>Qualité visée</translation>
        </message>
    </context>
    <context>
        <name>PlannedOutput</name>
        <message>
            <source>will be replaced</source>
            <translation>il sera remplacé</translation>
        </message>
        <message>
            <source>written as %1</source>
            <translation>écrit sous le nom %1</translation>
        </message>
        <message>
            <source>will be skipped</source>
            <translation>la tâche sera ignorée</translation>
        </message>
        <message>
            <source>will not be run</source>
            <translation>la tâche ne sera pas lancée</translation>
        </message>
        <message>
            <source>Same as the source: %1</source>
            <translation>Identique à la source : %1</translation>
        </message>
        <message>
            <source>The source of job %1: %2</source>
            <translation>La source de la tâche %1 : %2</translation>
        </message>
        <message>
            <source>Same output as job %1 (%2): %3</source>
            <translation>Même sortie que la tâche %1 (%2) : %3</translation>
        </message>
        <message>
            <source>%1 exists: %2</source>
            <translation>%1 existe : %2</translation>
        </message>
    </context>
    <context>
        <name>PowerActions</name>
        <message>
            <source>Do nothing</source>
            <translation>Ne rien faire</translation>
        </message>
        <message>
            <source>Quit Tavrix</source>
            <translation>Quitter Tavrix</translation>
        </message>
        <message>
            <source>Suspend</source>
            <translation>Mettre en veille</translation>
        </message>
        <message>
            <source>Power off</source>
            <translation>Éteindre</translation>
        </message>
        <message>
            <source>The computer could not be suspended: %1</source>
            <translation>L’ordinateur n’a pas pu être mis en veille : %1</translation>
        </message>
        <message>
            <source>The computer could not be powered off: %1</source>
            <translation>L’ordinateur n’a pas pu être éteint : %1</translation>
        </message>
        <message>
            <source>the system bus cannot be reached.</source>
            <translation>le bus système est injoignable.</translation>
        </message>
    </context>
    <context>
        <name>Preferences</name>
        <message>
            <source>the settings file “%1” is not a regular file; nothing was stored</source>
            <translation>le fichier de réglages « %1 » n’est pas un fichier ordinaire ; rien n’a été enregistré</translation>
        </message>
        <message>
            <source>the settings file “%1” has a line Tavrix cannot read (line %2); nothing was stored; fix or remove it</source>
            <translation>le fichier de réglages « %1 » contient une ligne que Tavrix ne sait pas lire (ligne %2) ; rien n’a été enregistré ; corrigez-la ou supprimez-la</translation>
        </message>
        <message>
            <source>cannot write the settings file “%1”; nothing was stored</source>
            <translation>impossible d’écrire le fichier de réglages « %1 » ; rien n’a été enregistré</translation>
        </message>
    </context>
    <context>
        <name>Preset</name>
        <message>
            <source>“%1” is not one of: %2</source>
            <translation>« %1 » n’est pas l’un de : %2</translation>
        </message>
        <message>
            <source>“%1” is not true or false</source>
            <translation>« %1 » n’est ni true ni false</translation>
        </message>
        <message>
            <source>“%1” is not text</source>
            <translation>« %1 » n’est pas du texte</translation>
        </message>
        <message>
            <source>“%1” is not a whole number from %2 to %3</source>
            <translation>« %1 » n’est pas un nombre entier de %2 à %3</translation>
        </message>
        <message>
            <source>not a Tavrix preset</source>
            <translation>pas un préréglage Tavrix</translation>
        </message>
        <message>
            <source>the preset has no version</source>
            <translation>le préréglage n’a pas de version</translation>
        </message>
        <message>
            <source>written by a newer version of Tavrix (preset version %1; this one reads %2)</source>
            <translation>écrit par une version plus récente de Tavrix (préréglage en version %1 ; celle-ci lit la %2)</translation>
        </message>
        <message>
            <source>the preset has no name</source>
            <translation>le préréglage n’a pas de nom</translation>
        </message>
    </context>
    <context>
        <name>PresetDialogs</name>
        <message>
            <source>Extra ffmpeg parameters</source>
            <translation>Paramètres ffmpeg supplémentaires</translation>
        </message>
        <message>
            <source>The preset “%1” adds these ffmpeg parameters to every job it is used for:</source>
            <translation>Le préréglage « %1 » ajoute ces paramètres ffmpeg à chaque tâche qui l’utilise :</translation>
        </message>
        <message>
            <source>Save as Preset</source>
            <translation>Enregistrer comme préréglage</translation>
        </message>
        <message>
            <source>Name of the new preset:</source>
            <translation>Nom du nouveau préréglage :</translation>
        </message>
        <message>
            <source>Preset not saved</source>
            <translation>Préréglage non enregistré</translation>
        </message>
        <message>
            <source>Custom</source>
            <translation>Personnalisé</translation>
        </message>
        <message>
            <source>The settings as they are, no preset</source>
            <translation>Les réglages tels quels, sans préréglage</translation>
        </message>
    </context>
    <context>
        <name>PresetLibrary</name>
        <message>
            <source>no preset is called “%1”, and no such file</source>
            <translation>aucun préréglage ne s’appelle « %1 », et aucun fichier non plus</translation>
        </message>
        <message>
            <source>The preset for new files, “%1”, no longer exists: new files take the stored settings.</source>
            <translation>Le préréglage des nouveaux fichiers, « %1 », n’existe plus : les nouveaux fichiers prennent les réglages enregistrés.</translation>
        </message>
        <message>
            <source>The preset for new files, “%1”, cannot be used (%2): new files take the stored settings.</source>
            <translation>Le préréglage des nouveaux fichiers, « %1 », ne peut pas servir (%2) : les nouveaux fichiers prennent les réglages enregistrés.</translation>
        </message>
    </context>
    <context>
        <name>PresetStore</name>
        <message>
            <source>larger than a preset can be</source>
            <translation>plus gros qu’un préréglage ne peut l’être</translation>
        </message>
        <message>
            <source>not a regular file</source>
            <translation>pas un fichier ordinaire</translation>
        </message>
        <message>
            <source>not JSON (%1 at byte %2)</source>
            <translation>pas du JSON (%1 à l’octet %2)</translation>
        </message>
        <message>
            <source>not a Tavrix preset</source>
            <translation>pas un préréglage Tavrix</translation>
        </message>
        <message>
            <source>A preset needs a name.</source>
            <translation>Un préréglage a besoin d’un nom.</translation>
        </message>
        <message>
            <source>“%1” is the name of a built-in preset.</source>
            <translation>« %1 » est le nom d’un préréglage fourni.</translation>
        </message>
        <message>
            <source>A preset called “%1” already exists.</source>
            <translation>Un préréglage nommé « %1 » existe déjà.</translation>
        </message>
        <message>
            <source>The preset file “%1” cannot be read (%2); it is left as it is.</source>
            <translation>Le fichier de préréglage « %1 » est illisible (%2) ; il est laissé tel quel.</translation>
        </message>
        <message>
            <source>Cannot make the folder “%1”.</source>
            <translation>Impossible de créer le dossier « %1 ».</translation>
        </message>
        <message>
            <source>Cannot write “%1”: %2</source>
            <translation>Impossible d’écrire « %1 » : %2</translation>
        </message>
        <message>
            <source>No preset is called “%1”.</source>
            <translation>Aucun préréglage ne s’appelle « %1 ».</translation>
        </message>
        <message>
            <source>Cannot remove “%1”: %2</source>
            <translation>Impossible de supprimer « %1 » : %2</translation>
        </message>
        <message>
            <source>“%1”: %2</source>
            <translation>« %1 » : %2</translation>
        </message>
        <message>
            <source>“%1” already exists.</source>
            <translation>« %1 » existe déjà.</translation>
        </message>
    </context>
    <context>
        <name>ProgressSheet</name>
        <message>
            <source>Stop</source>
            <translation>Arrêter</translation>
        </message>
        <message>
            <source>Progress</source>
            <translation>Progression</translation>
        </message>
        <message>
            <source>Stop.help</source>
            <translation>Arrêter maintenant : le fichier en cours est supprimé et les tâches en attente ne sont pas converties.</translation>
        </message>
        <message>
            <source>Time left: %1 for this file, %2 in all</source>
            <translation>Temps restant : %1 pour ce fichier, %2 en tout</translation>
        </message>
        <message>
            <source>Time left: %1</source>
            <translation>Temps restant : %1</translation>
        </message>
        <message>
            <source>Time left for this file: %1</source>
            <translation>Temps restant pour ce fichier : %1</translation>
        </message>
        <message>
            <source>Pause</source>
            <translation>Pause</translation>
        </message>
        <message>
            <source>Stop After This File</source>
            <translation>Arrêter après ce fichier</translation>
        </message>
        <message>
            <source>When done:</source>
            <translation>Une fois terminé :</translation>
        </message>
        <message>
            <source>Resume</source>
            <translation>Reprendre</translation>
        </message>
        <message>
            <source>Paused</source>
            <translation>En pause</translation>
        </message>
        <message>
            <source>Paused. %1</source>
            <translation>En pause. %1</translation>
        </message>
    </context>
    <context>
        <name>ProgressionView</name>
        <message>
            <source>[%1 / %2] %3%</source>
            <translation>[%1 / %2] %3 %</translation>
        </message>
    </context>
    <context>
        <name>QFileDialog</name>
        <message>
            <source>Files</source>
            <translation>Fichiers</translation>
        </message>
    </context>
    <context>
        <name>QPlatformTheme</name>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Annuler</translation>
        </message>
        <message>
            <source>Close</source>
            <translation>Fermer</translation>
        </message>
        <message>
            <source>Yes</source>
            <translation>Oui</translation>
        </message>
        <message>
            <source>No</source>
            <translation>Non</translation>
        </message>
        <message>
            <source>Save</source>
            <translation>Enregistrer</translation>
        </message>
        <message>
            <source>Discard</source>
            <translation>Abandonner</translation>
        </message>
        <message>
            <source>Apply</source>
            <translation>Appliquer</translation>
        </message>
        <message>
            <source>Reset</source>
            <translation>Réinitialiser</translation>
        </message>
        <message>
            <source>Restore Defaults</source>
            <translation>Restaurer les valeurs par défaut</translation>
        </message>
    </context>
    <context>
        <name>QShortcut</name>
        <message>
            <source>Del</source>
            <translation>Suppr</translation>
        </message>
        <message>
            <source>Ctrl</source>
            <translation>Ctrl</translation>
        </message>
        <message>
            <source>Shift</source>
            <translation>Maj</translation>
        </message>
        <message>
            <source>Alt</source>
            <translation>Alt</translation>
        </message>
        <message>
            <source>Return</source>
            <translation>Entrée</translation>
        </message>
        <message>
            <source>Backspace</source>
            <translation>Retour arrière</translation>
        </message>
    </context>
    <context>
        <name>QualityLevel</name>
        <message>
            <source>Visually lossless</source>
            <translation>Sans perte visible</translation>
        </message>
        <message>
            <source>High</source>
            <translation>Haute</translation>
        </message>
        <message>
            <source>Good</source>
            <translation>Bonne</translation>
        </message>
        <message>
            <source>Small</source>
            <translation>Petite</translation>
        </message>
    </context>
    <context>
        <name>QualityMeasure</name>
        <message>
            <source>ffmpeg gave no score</source>
            <translation>ffmpeg n’a donné aucune mesure</translation>
        </message>
    </context>
    <context>
        <name>QualityReport</name>
        <message>
            <source>Quality not checked: %1</source>
            <translation>Qualité non vérifiée : %1</translation>
        </message>
        <message>
            <source>PSNR %1 dB</source>
            <translation>PSNR %1 dB</translation>
        </message>
        <message>
            <source>PSNR ∞ (identical)</source>
            <translation>PSNR ∞ (identique)</translation>
        </message>
        <message>
            <source>%1 % of the source's size</source>
            <translation>%1 % de la taille de la source</translation>
        </message>
        <message>
            <source>(target %1 not reached)</source>
            <translation>(cible %1 non atteinte)</translation>
        </message>
        <message>
            <source>about %1</source>
            <translation>environ %1</translation>
        </message>
        <message>
            <source>from an earlier search</source>
            <translation>d’une recherche antérieure</translation>
        </message>
        <message numerus="yes">
            <source>%n values tried in %1 s</source>
            <translation>
                <numerusform>%n valeur essayée en %1 s</numerusform>
                <numerusform>%n valeurs essayées en %1 s</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>QueueFile</name>
        <message>
            <source>Tavrix ended while this job was being converted.</source>
            <translation>Tavrix s’est arrêté pendant la conversion de cette tâche.</translation>
        </message>
        <message>
            <source>The job list could not be saved to “%1”: %2</source>
            <translation>La liste des tâches n’a pas pu être enregistrée dans « %1 » : %2</translation>
        </message>
        <message>
            <source>the folder cannot be created</source>
            <translation>le dossier ne peut pas être créé</translation>
        </message>
        <message>
            <source>it is not a job list</source>
            <translation>ce n’est pas une liste de tâches</translation>
        </message>
        <message>
            <source>job %1: %2</source>
            <translation>tâche %1 : %2</translation>
        </message>
        <message>
            <source>The saved job list “%1” was written by a newer version of Tavrix; the list starts empty.</source>
            <translation>La liste des tâches enregistrée « %1 » a été écrite par une version plus récente de Tavrix ; la liste démarre vide.</translation>
        </message>
        <message>
            <source>The saved job list was written by a newer version of Tavrix; it was kept as “%1” and the list starts empty.</source>
            <translation>La liste des tâches enregistrée a été écrite par une version plus récente de Tavrix ; elle a été conservée sous « %1 » et la liste démarre vide.</translation>
        </message>
        <message>
            <source>The saved job list “%1” could not be read (%2); the list starts empty.</source>
            <translation>La liste des tâches enregistrée « %1 » n’a pas pu être lue (%2) ; la liste démarre vide.</translation>
        </message>
        <message>
            <source>The saved job list could not be read (%1); it was kept as “%2” and the list starts empty.</source>
            <translation>La liste des tâches enregistrée n’a pas pu être lue (%1) ; elle a été conservée sous « %2 » et la liste démarre vide.</translation>
        </message>
        <message>
            <source>it is not a regular file; move it away or remove it</source>
            <translation>ce n’est pas un fichier ordinaire ; déplacez-le ou supprimez-le</translation>
        </message>
        <message>
            <source>The saved job list “%1” is not a regular file; the list starts empty and is not saved until it is moved away or removed.</source>
            <translation>La liste de tâches enregistrée « %1 » n’est pas un fichier ordinaire ; la liste démarre vide et n’est pas enregistrée tant qu’il n’est pas déplacé ou supprimé.</translation>
        </message>
    </context>
    <context>
        <name>QueueLock</name>
        <message>
            <source>The job list is in use by another Tavrix process (%1).</source>
            <translation>La liste des tâches est utilisée par un autre processus Tavrix (%1).</translation>
        </message>
        <message>
            <source>The job list cannot be locked in “%1”.</source>
            <translation>La liste des tâches ne peut pas être verrouillée dans « %1 ».</translation>
        </message>
    </context>
    <context>
        <name>ReadBack</name>
        <message>
            <source>%1 gave an answer that cannot be read</source>
            <translation>%1 a donné une réponse illisible</translation>
        </message>
        <message>
            <source>%1 ended without answering</source>
            <translation>%1 s’est terminé sans répondre</translation>
        </message>
    </context>
    <context>
        <name>RunDesktop</name>
        <message>
            <source>Converting videos</source>
            <translation>Conversion de vidéos</translation>
        </message>
    </context>
    <context>
        <name>RunNotifier</name>
        <message>
            <source>Conversion stopped</source>
            <translation>Conversion arrêtée</translation>
        </message>
        <message>
            <source>Conversion finished</source>
            <translation>Conversion terminée</translation>
        </message>
        <message numerus="yes">
            <source>%n converted</source>
            <translation>
                <numerusform>%n convertie</numerusform>
                <numerusform>%n converties</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n failed</source>
            <translation>
                <numerusform>%n en échec</numerusform>
                <numerusform>%n en échec</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n stopped</source>
            <translation>
                <numerusform>%n arrêtée</numerusform>
                <numerusform>%n arrêtées</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n not run</source>
            <translation>
                <numerusform>%n non lancée</numerusform>
                <numerusform>%n non lancées</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n incomplete</source>
            <translation>
                <numerusform>%n incomplète</numerusform>
                <numerusform>%n incomplètes</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>Session</name>
        <message>
            <source>Choosing the quality for %1…</source>
            <translation>Choix de la qualité pour %1…</translation>
        </message>
    </context>
    <context>
        <name>Setup</name>
        <message>
            <source>Simultaneous jobs</source>
            <translation>Tâches simultanées</translation>
        </message>
        <message>
            <source>How many files are converted at once; 1 converts them one after another</source>
            <translation>Nombre de fichiers convertis en même temps ; 1 les convertit l’un après l’autre</translation>
        </message>
        <message>
            <source>Setup</source>
            <translation>Réglages</translation>
        </message>
        <message>
            <source>Container</source>
            <translation>Conteneur</translation>
        </message>
        <message>
            <source>Quicktime</source>
            <translation>Quicktime</translation>
        </message>
        <message>
            <source>Codec Video</source>
            <translation>Codec vidéo</translation>
        </message>
        <message>
            <source>Profile Video</source>
            <translation>Profil vidéo</translation>
        </message>
        <message>
            <source>Autocrop</source>
            <translation>Recadrage auto</translation>
        </message>
        <message>
            <source>Preset Video</source>
            <translation>Préréglage vidéo</translation>
        </message>
        <message>
            <source>Tune Video</source>
            <translation>Optimisation vidéo</translation>
        </message>
        <message>
            <source>Bitrate Video</source>
            <translation>Débit vidéo</translation>
        </message>
        <message>
            <source>Codec Audio</source>
            <translation>Codec audio</translation>
        </message>
        <message>
            <source>Bitrate Audio</source>
            <translation>Débit audio</translation>
        </message>
        <message>
            <source>Sampling Audio</source>
            <translation>Échantillonnage audio</translation>
        </message>
        <message>
            <source>Other params</source>
            <translation>Autres paramètres</translation>
        </message>
        <message>
            <source>Subtitle language</source>
            <translation>Langue des sous-titres</translation>
        </message>
        <message>
            <source>Format outfile</source>
            <translation>Format du fichier de sortie</translation>
        </message>
        <message>
            <source>Ok</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Annuler</translation>
        </message>
        <message>
            <source>If the output exists</source>
            <translation>Si la sortie existe</translation>
        </message>
        <message>
            <source>Rename</source>
            <translation>Renommer</translation>
        </message>
        <message>
            <source>Skip</source>
            <translation>Ignorer</translation>
        </message>
        <message>
            <source>Overwrite</source>
            <translation>Remplacer</translation>
        </message>
        <message>
            <source>Write to the first free name: clip-1.mp4, clip-2.mp4…</source>
            <translation>Écrire sous le premier nom libre : clip-1.mp4, clip-2.mp4…</translation>
        </message>
        <message>
            <source>Leave the file as it is and do not convert the job</source>
            <translation>Laisser le fichier tel quel et ne pas convertir la tâche</translation>
        </message>
        <message>
            <source>Replace the file once the new one is complete</source>
            <translation>Remplacer le fichier une fois le nouveau terminé</translation>
        </message>
        <message>
            <source>Rate Video</source>
            <translation>Mode de débit vidéo</translation>
        </message>
        <message>
            <source>VAAPI device</source>
            <translation>Périphérique VAAPI</translation>
        </message>
        <message>
            <source>First render node</source>
            <translation>Premier nœud de rendu</translation>
        </message>
        <message>
            <source>The graphics device that h264_vaapi and hevc_vaapi encode on</source>
            <translation>Le périphérique graphique sur lequel h264_vaapi et hevc_vaapi encodent</translation>
        </message>
        <message>
            <source>Settings not saved</source>
            <translation>Réglages non enregistrés</translation>
        </message>
        <message>
            <source>Channels Audio</source>
            <translation>Canaux audio</translation>
        </message>
        <message>
            <source>Convert HDR to SDR</source>
            <translation>Convertir HDR en SDR</translation>
        </message>
        <message>
            <source>e.g. eng, fra</source>
            <translation>p. ex. eng, fra</translation>
        </message>
        <message>
            <source>Audio languages</source>
            <translation>Audio à garder</translation>
        </message>
        <message>
            <source>New jobs keep the audio tracks in these languages (the first track when none is); empty keeps the first track.</source>
            <translation>Les nouvelles tâches gardent les pistes audio dans ces langues (la première piste quand aucune ne l’est) ; vide garde la première piste.</translation>
        </message>
        <message>
            <source>Subtitle languages</source>
            <translation>Sous-titres à garder</translation>
        </message>
        <message>
            <source>New jobs keep the subtitle tracks in these languages; empty keeps every subtitle track.</source>
            <translation>Les nouvelles tâches gardent les pistes de sous-titres dans ces langues ; vide les garde toutes.</translation>
        </message>
        <message>
            <source>Keep the source's date</source>
            <translation>Garder la date de la source</translation>
        </message>
        <message>
            <source>New jobs give the converted file the modification time of its source.</source>
            <translation>Les nouvelles tâches donnent au fichier converti la date de modification de sa source.</translation>
        </message>
        <message>
            <source>None</source>
            <translation>Aucun</translation>
        </message>
        <message>
            <source>Preset for new files</source>
            <translation>Préréglage des nouveaux fichiers</translation>
        </message>
        <message>
            <source>Save as Preset…</source>
            <translation>Enregistrer comme préréglage…</translation>
        </message>
        <message>
            <source>Presets</source>
            <translation>Préréglages</translation>
        </message>
        <message>
            <source>Rename…</source>
            <translation>Renommer…</translation>
        </message>
        <message>
            <source>Delete</source>
            <translation>Supprimer</translation>
        </message>
        <message>
            <source>Export…</source>
            <translation>Exporter…</translation>
        </message>
        <message>
            <source>Import…</source>
            <translation>Importer…</translation>
        </message>
        <message>
            <source>New files take the settings of this preset; those below are kept for “Custom”.</source>
            <translation>Les nouveaux fichiers prennent les réglages de ce préréglage ; ceux ci-dessous sont gardés pour « Personnalisé ».</translation>
        </message>
        <message>
            <source>Rename Preset</source>
            <translation>Renommer le préréglage</translation>
        </message>
        <message>
            <source>New name of “%1”:</source>
            <translation>Nouveau nom de « %1 » :</translation>
        </message>
        <message>
            <source>Preset not renamed</source>
            <translation>Préréglage non renommé</translation>
        </message>
        <message>
            <source>Delete Preset</source>
            <translation>Supprimer le préréglage</translation>
        </message>
        <message>
            <source>Delete the preset “%1”? Jobs made with it keep their settings.</source>
            <translation>Supprimer le préréglage « %1 » ? Les tâches faites avec lui gardent leurs réglages.</translation>
        </message>
        <message>
            <source>Preset not deleted</source>
            <translation>Préréglage non supprimé</translation>
        </message>
        <message>
            <source>Export Preset</source>
            <translation>Exporter le préréglage</translation>
        </message>
        <message>
            <source>Preset not exported</source>
            <translation>Préréglage non exporté</translation>
        </message>
        <message>
            <source>Import Preset</source>
            <translation>Importer un préréglage</translation>
        </message>
        <message>
            <source>Preset not imported</source>
            <translation>Préréglage non importé</translation>
        </message>
        <message>
            <source>Imported as “%1”.</source>
            <translation>Importé sous le nom « %1 ».</translation>
        </message>
        <message>
            <source>It adds these ffmpeg parameters to every job: %1</source>
            <translation>Il ajoute ces paramètres ffmpeg à chaque tâche : %1</translation>
        </message>
        <message>
            <source>Preset imported</source>
            <translation>Préréglage importé</translation>
        </message>
        <message>
            <source>If the output is larger</source>
            <translation>Si la sortie est plus grosse</translation>
        </message>
        <message>
            <source>Keep it</source>
            <translation>La garder</translation>
        </message>
        <message>
            <source>Keep the source only</source>
            <translation>Ne garder que la source</translation>
        </message>
        <message>
            <source>What becomes of a converted file larger than its source</source>
            <translation>Ce que devient un fichier converti plus gros que sa source</translation>
        </message>
        <message>
            <source>Skip files already in the format</source>
            <translation>Passer les fichiers déjà au format</translation>
        </message>
        <message>
            <source>A file whose video codec and container are already those of its job is not converted</source>
            <translation>Un fichier dont le codec vidéo et le conteneur sont déjà ceux de sa tâche n’est pas converti</translation>
        </message>
        <message>
            <source>Quality</source>
            <translation>Qualité</translation>
        </message>
        <message>
            <source>Check quality after converting</source>
            <translation>Vérifier la qualité après conversion</translation>
        </message>
        <message>
            <source>Each converted file is compared with its source (SSIM and PSNR, while the next file converts); its row says how close it came</source>
            <translation>Chaque fichier converti est comparé à sa source (SSIM et PSNR, pendant la conversion du suivant) ; sa ligne dit à quel point il en est proche</translation>
        </message>
    </context>
    <context>
        <name>TargetQualityBox</name>
        <message>
            <source>Custom</source>
            <translation>Personnalisé</translation>
        </message>
        <message>
            <source>Each file gets the constant quality that keeps this much of its picture, found by encoding a few short samples first: Visually lossless cannot be told from the source, High hardly, Good shows a little softness in fine detail, Small trades detail for size</source>
            <translation>Chaque fichier reçoit la qualité constante qui garde autant de son image, trouvée en encodant d’abord quelques courts extraits : Sans perte visible ne se distingue pas de la source, Haute à peine, Bonne adoucit un peu les détails fins, Petite échange du détail contre la taille</translation>
        </message>
        <message>
            <source>The SSIM the output must keep against its source, from 0.9 to 0.9999 (1: the same picture)</source>
            <translation>Le SSIM que la sortie doit garder face à sa source, de 0,9 à 0,9999 (1 : la même image)</translation>
        </message>
    </context>
    <context>
        <name>ToolOutcome</name>
        <message>
            <source>%1 exited with status %2</source>
            <translation>%1 s’est terminé avec le code %2</translation>
        </message>
        <message>
            <source>%1 crashed (signal %2)</source>
            <translation>%1 a planté (signal %2)</translation>
        </message>
        <message>
            <source>%1 could not be started: %2</source>
            <translation>Impossible de lancer %1 : %2</translation>
        </message>
        <message>
            <source>%1 did not answer in %2 s</source>
            <translation>%1 n’a pas répondu en %2 s</translation>
        </message>
        <message>
            <source>%1 was stopped</source>
            <translation>%1 a été arrêté</translation>
        </message>
    </context>
    <context>
        <name>ToolRunner</name>
        <message>
            <source>The program “%1” was not found in %2. Install the Debian package “%1” (sudo apt-get install %1), then build or install Tavrix again.</source>
            <translation>Le programme « %1 » est introuvable dans %2. Installez le paquet Debian « %1 » (sudo apt-get install %1), puis compilez ou installez Tavrix à nouveau.</translation>
        </message>
    </context>
    <context>
        <name>WatchFolderDialog</name>
        <message>
            <source>Watch Folder</source>
            <translation>Surveiller un dossier</translation>
        </message>
        <message>
            <source>Video files that appear in the folder, or in folders inside it, join the job list once they are complete. A file is never taken twice.</source>
            <translation>Les fichiers vidéo qui apparaissent dans le dossier, ou dans ses sous-dossiers, rejoignent la liste des tâches une fois complets. Un fichier n’est jamais pris deux fois.</translation>
        </message>
        <message>
            <source>The folder to watch</source>
            <translation>Le dossier à surveiller</translation>
        </message>
        <message>
            <source>Choose…</source>
            <translation>Choisir…</translation>
        </message>
        <message>
            <source>Settings for new files</source>
            <translation>Réglages des nouveaux fichiers</translation>
        </message>
        <message>
            <source>Also add the videos already in the folder</source>
            <translation>Ajouter aussi les vidéos déjà présentes dans le dossier</translation>
        </message>
        <message>
            <source>Folder</source>
            <translation>Dossier</translation>
        </message>
        <message>
            <source>Settings</source>
            <translation>Réglages</translation>
        </message>
        <message>
            <source>Watch</source>
            <translation>Surveiller</translation>
        </message>
        <message>
            <source>There is no folder there.</source>
            <translation>Il n’y a pas de dossier à cet endroit.</translation>
        </message>
        <message>
            <source>This folder is watched already.</source>
            <translation>Ce dossier est déjà surveillé.</translation>
        </message>
        <message>
            <source>This folder lies in “%1”, which is watched already.</source>
            <translation>Ce dossier se trouve dans « %1 », déjà surveillé.</translation>
        </message>
        <message>
            <source>“%1”, inside this folder, is watched already; stop watching it first.</source>
            <translation>« %1 », dans ce dossier, est déjà surveillé ; cessez d’abord de le surveiller.</translation>
        </message>
        <message>
            <source>Look through it every 30 seconds (a network share)</source>
            <translation>Le parcourir toutes les 30 secondes (partage réseau)</translation>
        </message>
        <message>
            <source>Files that other computers write into a network share are not reported to this one: the folder is looked through instead. Ticked by itself for a network share.</source>
            <translation>Les fichiers que d’autres ordinateurs écrivent dans un partage réseau ne sont pas signalés à celui-ci : le dossier est donc parcouru à intervalles. Coché d’office pour un partage réseau.</translation>
        </message>
    </context>
    <context>
        <name>WatchPanel</name>
        <message>
            <source>Watched Folders</source>
            <translation>Dossiers surveillés</translation>
        </message>
        <message>
            <source>Convert new files automatically</source>
            <translation>Convertir automatiquement les nouveaux fichiers</translation>
        </message>
        <message>
            <source>A new file starts converting as soon as it joins the list. When this is off, new files wait in the list for Encoding.</source>
            <translation>Un nouveau fichier est converti dès qu’il rejoint la liste. Sinon, les nouveaux fichiers attendent dans la liste qu’on lance l’encodage.</translation>
        </message>
        <message>
            <source>Folder</source>
            <translation>Dossier</translation>
        </message>
        <message>
            <source>Settings</source>
            <translation>Réglages</translation>
        </message>
        <message>
            <source>State</source>
            <translation>État</translation>
        </message>
        <message>
            <source>Watch Folder…</source>
            <translation>Surveiller un dossier…</translation>
        </message>
        <message>
            <source>Pause</source>
            <translation>Pause</translation>
        </message>
        <message>
            <source>Stop Watching</source>
            <translation>Ne plus surveiller</translation>
        </message>
        <message>
            <source>The folder is no longer watched. Its files and the jobs already in the list stay as they are.</source>
            <translation>Le dossier n’est plus surveillé. Ses fichiers et les tâches déjà dans la liste restent tels quels.</translation>
        </message>
        <message>
            <source>Settings for new files</source>
            <translation>Réglages des nouveaux fichiers</translation>
        </message>
        <message>
            <source>Paused</source>
            <translation>En pause</translation>
        </message>
        <message numerus="yes">
            <source>Watching · %n new file(s) added</source>
            <translation>
                <numerusform>Surveillé · %n nouveau fichier ajouté</numerusform>
                <numerusform>Surveillé · %n nouveaux fichiers ajoutés</numerusform>
            </translation>
        </message>
        <message>
            <source>Watching</source>
            <translation>Surveillé</translation>
        </message>
        <message>
            <source>Resume</source>
            <translation>Reprendre</translation>
        </message>
        <message>
            <source>every %1 s</source>
            <translation>toutes les %1 s</translation>
        </message>
    </context>
    <context>
        <name>WatchRecord</name>
        <message>
            <source>it is not a record of this version</source>
            <translation>ce n’est pas un registre de cette version</translation>
        </message>
        <message>
            <source>entry %1 is incomplete</source>
            <translation>l’entrée %1 est incomplète</translation>
        </message>
        <message>
            <source>the record “%1” cannot be read (%2) and cannot be moved aside; files converted before may be converted again</source>
            <translation>le registre « %1 » ne peut pas être lu (%2) ni mis de côté ; des fichiers déjà convertis pourraient l’être de nouveau</translation>
        </message>
        <message>
            <source>the record cannot be read (%1); it was kept as “%2” and a new one is started, so files converted before may be converted again</source>
            <translation>le registre ne peut pas être lu (%1) ; il a été gardé sous « %2 » et un nouveau est commencé, des fichiers déjà convertis pourraient donc l’être de nouveau</translation>
        </message>
        <message>
            <source>the record “%1” cannot be written: %2</source>
            <translation>le registre « %1 » ne peut pas être écrit : %2</translation>
        </message>
    </context>
    <context>
        <name>main</name>
        <message>
            <source>Batch video converter</source>
            <translation>Convertisseur vidéo par lots</translation>
        </message>
        <message>
            <source>Video files or folders to import.</source>
            <translation>Fichiers vidéo ou dossiers à importer.</translation>
        </message>
    </context>
</TS>
