<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>DetailView</name>
    <message>
        <source>Oups</source>
        <translation>Oups</translation>
    </message>
    <message>
        <source>This job has no source file to edit.</source>
        <translation>Cette tâche n&apos;a pas de fichier source à modifier.</translation>
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
        <translation>Le modèle de nom choisi dans les réglages forme ce nom</translation>
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
        <source>DeInterlace</source>
        <translation>Désentrelacer</translation>
    </message>
    <message>
        <source>Crop</source>
        <translation>Recadrage</translation>
    </message>
    <message>
        <source>Autocrop</source>
        <translation>Détecter</translation>
    </message>
    <message>
        <source>Find the black borders of the picture</source>
        <translation>Trouver les bandes noires de l&apos;image</translation>
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
        <translation>Réglage fin</translation>
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
        <translation>Sous-titre</translation>
    </message>
    <message>
        <source>No subtitle</source>
        <translation>Pas de sous-titre</translation>
    </message>
    <message>
        <source>Subtitle external</source>
        <translation>Sous-titre externe</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>Import subtitle</source>
        <translation>Importer un sous-titre</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Commande</translation>
    </message>
    <message>
        <source>The command this job would run with the choices above</source>
        <translation>La commande que lancerait cette tâche avec les choix ci-dessus</translation>
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
        <source>A destination is needed: the previous one is back.</source>
        <translation>Il faut une destination : la précédente est rétablie.</translation>
    </message>
    <message>
        <source>The folder %1 does not exist: the previous destination is back.</source>
        <translation>Le dossier %1 n&apos;existe pas : la destination précédente est rétablie.</translation>
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
        <source>Choose &quot;mkv&quot; as container, or another subtitle.</source>
        <translation>Choisissez le conteneur « mkv » ou un autre sous-titre.</translation>
    </message>
    <message>
        <source>No command: %1</source>
        <translation>Pas de commande : %1</translation>
    </message>
</context>
<context>
    <name>EncoderCatalog</name>
    <message>
        <source>%1 is not available in the installed ffmpeg</source>
        <translation>%1 n&apos;est pas disponible dans le ffmpeg installé</translation>
    </message>
    <message>
        <source>The installed ffmpeg has no %1 encoder: this job will fail</source>
        <translation>Le ffmpeg installé n&apos;a pas d&apos;encodeur %1 : cette tâche échouera</translation>
    </message>
    <message>
        <source>The installed ffmpeg has no %1 and no %2 encoder: this job will fail</source>
        <translation>Le ffmpeg installé n&apos;a ni l&apos;encodeur %1 ni l&apos;encodeur %2 : cette tâche échouera</translation>
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
    <name>Setup</name>
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
        <source>DeInterlace</source>
        <translation>Désentrelacer</translation>
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
        <translation>Réglage fin vidéo</translation>
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
        <translation>Nom du fichier de sortie</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
</TS>
