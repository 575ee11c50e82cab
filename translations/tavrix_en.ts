<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
    <context>
        <name>AppDelegate</name>
        <message>
            <source>%1 The list starts empty and is not saved.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Job list</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>BatchEncoder</name>
        <message>
            <source>Stopped by the user</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The source file “%1” no longer exists.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The job has no destination.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The shell could not be started: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg was ended by signal %1 (%2).</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg exited with status %1.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg exited with status %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg ended without writing “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>it holds no stream.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg could not finish writing “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg ended without error, but “%1” cannot be read back: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The finished file could not be named “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the file being written was removed or replaced meanwhile.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>no free name is left.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The run was stopped after the file before it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>On %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot make a temporary folder: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot write the list of jobs: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>GNU parallel could not run the job: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>GNU parallel did not run the job: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The host %1 could not be reached: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>On %1: the converted file did not come back.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>On %1: the converted file did not come back: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The subtitle file has the same name as the source; rename one of them to convert on other hosts.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>On %1:</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The source “%1” is not a regular file (a folder, a pipe or a device); it is not converted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot create a folder in “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder “%1” was moved or replaced while ffmpeg ran.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The output lasts %1 s of the source's %2 s</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The output lasts %1 s of the %2 s asked for</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>GNU parallel cannot read the hosts file “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ffmpeg is not installed on %1 (or not on its PATH).</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Already %1: not converted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Larger than the source (%1 %): not kept</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The quality target could not be searched: %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>BuiltInPresets</name>
        <message>
            <source>H.264 MP4 — plays everywhere</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>x264 at quality 22, AAC stereo 160 kbit/s, text subtitles: for any player, TV or browser</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>HEVC MKV — half the size</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>AV1 MKV — archive</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>SVT-AV1 at quality 32, 10-bit and HDR kept, every audio track in Opus with its channels, every subtitle and chapter</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>VP9 WebM — for the web</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>VP9 at quality 32, Opus stereo, text subtitles: for web pages</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Remux to MP4 — no re-encoding</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video and every audio track copied as they are into MP4; fast, nothing lost</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Remux to MKV — no re-encoding</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video, every audio track and every subtitle copied as they are into MKV; fast, nothing lost</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Phone — 720p H.264</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>x264 made no larger than 1280×720 (never enlarged), AAC stereo 128 kbit/s</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Hardware H.264 — fast</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The first H.264 encoder of the graphics card that works here, quality 24, AAC stereo: fast, larger files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Hardware HEVC — fast</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The first HEVC encoder of the graphics card that works here, quality 24, AAC stereo: fast, smaller than H.264</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>x265 at quality 27, 10-bit and HDR kept, every audio track copied, every subtitle</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>CommandLine</name>
        <message>
            <source>“%1” has no video stream to encode.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 cannot be used: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 has no constant quality mode; choose a bitrate.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 needs a VAAPI device (/dev/dri/renderD*); none was found.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The crop “%1” is not of the form width:height:x:y.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The crop “%1” does not fit in the picture (%2×%3).</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ContentView</name>
        <message>
            <source>Open Files…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Open Document…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Open Directory…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preferences…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Start Encoding</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Delete All Jobs</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Destination Dir</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Path of destinations files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Destination Dir.help</source>
            <translation>Folder where the converted files are written. Leave it empty to write each file beside its source. It applies to every job in the list when you press Return or leave the field.</translation>
        </message>
        <message>
            <source>Choose the destination directory</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>File</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>File.help</source>
            <translation>Import one or more video files into the list (Ctrl+I).</translation>
        </message>
        <message>
            <source>Directory</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Directory.help</source>
            <translation>Import every video file found in a folder and its sub-folders (Ctrl+D).</translation>
        </message>
        <message>
            <source>Setup</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Setup.help</source>
            <translation>Edit the default settings that newly imported files receive (Ctrl+P).</translation>
        </message>
        <message>
            <source>Encoding</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Encoding.help</source>
            <translation>Convert the jobs not converted yet, one after another (Ctrl+E).</translation>
        </message>
        <message>
            <source>Tools missing</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Tavrix needs ffmpeg to convert videos and mediainfo to read them. Until they are installed, files can still be listed but not probed or converted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Import video file</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Import video file from directory</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Not imported: “%1” does not exist.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>⚠ The folder “%1” does not exist; encoding into it will fail until it is created.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: no such file or folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Some of the files given were not imported.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>… and %1 more</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Not imported</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>These names are not valid UTF-8, so Tavrix cannot open them. Rename them to import them.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Convert again?</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Every job in the list has been converted. Convert them all again?</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The files already written are kept; the new ones get new names.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“If the output exists” is set to Skip in Setup: jobs whose file is still there will be skipped.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The files already written are replaced once the new ones are complete.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Convert Again</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: %2</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n succeeded</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n failed</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n stopped</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n not run</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message>
            <source>Encoding finished</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Encoding finished: %1.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Retry Failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Convert again the jobs that failed or were stopped, with their own settings.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>When done</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose the destination folder</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n incomplete</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message>
            <source>Tavrix cannot convert these files: it needs a video stream.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset for new files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Watch Folder…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New video files in a folder join the list as they arrive.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” not added: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Watched folders</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>DetailView</name>
        <message>
            <source>Oups</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Close</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>File</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Source</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Destination</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Export video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The name template chosen in Setup makes this name</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Container</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quicktime</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Tracks</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Codec</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Bitrate</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Size</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Width</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Height</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Crop</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Autocrop</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Find the black borders of the picture</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preview</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Profile</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Tune</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Audio</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Sampling</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Other</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Other params</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>params</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Subtitle</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No subtitle</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Subtitle external</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Language</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Import subtitle</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Command</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The command this job would run with the choices above</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Ok</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Looking for black borders…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No black borders found: the crop is unchanged.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No command: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This job has no source file to edit.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>none</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>manual</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Rate</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Passthrough: the video is copied as it is; rate, size, deinterlacing, crop, preset, profile and tune do not apply.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Channels</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stereo folds a surround source to two channels; Keep writes the source's layout (MP3 keeps two).</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Convert HDR to SDR</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No audio</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Subtitles</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Burn in</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>None</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Draws one subtitle track into the picture, for players that show no subtitles; it is then not kept as a track.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Date</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Keep the source's date</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The converted file gets the modification time of its source.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>modified</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A setting differs from the preset's since it was chosen.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save as Preset…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>At most</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The width and height are the most the picture may measure: a larger one is made smaller with its shape kept, a smaller one is never enlarged.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>DraftProblems</name>
        <message>
            <source>A destination is needed.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The destination needs a whole path, from the top folder.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is a folder: the destination needs a file name.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder %1 does not exist.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder %1 cannot be written to.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The crop needs four whole numbers: width:height:x:y.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The crop %1 does not fit in the picture (%2×%3).</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” is a folder, not a subtitle file.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The subtitle file “%1” cannot be read.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>EncoderCatalog</name>
        <message>
            <source>no VAAPI device (/dev/dri/renderD*)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 cannot be used: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This job will not be encoded: %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>FolderIntake</name>
        <message>
            <source>The folder is not there; it is watched again once it is back.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Not taken: “%1” is a copy of “%2”</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>FolderWatch</name>
        <message>
            <source>“%1” cannot be watched (%2); its new files are not seen</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1”: the name is not valid UTF-8, so what it holds is not seen</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1”: the name is not valid UTF-8, so it cannot be opened; rename it to convert it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>inotify cannot be used (%1)</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ImageView</name>
        <message>
            <source>Preview</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Ok</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>InstanceServer</name>
        <message>
            <source>Another Tavrix instance is listening on “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The instance channel “%1” cannot be opened: %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>JobDelegate</name>
        <message>
            <source>%1
Press to edit this job.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Output: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: written to %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Written to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1
Output: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Converting… %1%</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>JobListModel</name>
        <message>
            <source>Interlaced</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 to SDR</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>JobListView</name>
        <message>
            <source>Delete</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>Delete %n jobs</source>
            <translation>
                <numerusform>Delete %n job</numerusform>
                <numerusform>Delete %n jobs</numerusform>
            </translation>
        </message>
        <message>
            <source>Drop video files or folders here, or use “File” or “Directory” below.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Show Log</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Apply Preset</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>JobResult</name>
        <message>
            <source>Succeeded</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Not run</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stopped</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Interrupted</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>written to %1 (%2)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Incomplete</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>JobRules</name>
        <message>
            <source>The subtitle file “%1” does not exist.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>MP4 cannot hold the source's %1 video as it is: choose MKV, or an encoder.</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n picture subtitle(s) cannot go into %1: left out</source>
            <translation>
                <numerusform>%n picture subtitle cannot go into %1: left out</numerusform>
                <numerusform>%n picture subtitles cannot go into %1: left out</numerusform>
            </translation>
        </message>
        <message>
            <source>The subtitle file “%1” holds picture subtitles (%2), which %3 cannot hold; choose Matroska or a text subtitle file.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>WebM cannot hold the source's %1 video as it is: choose libsvtav1 or libvpx-vp9, or MKV.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>WebM holds only VP9 or AV1 video, which %1 does not write: choose libsvtav1 or libvpx-vp9, or MKV.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>WebM holds only Opus or Vorbis audio, which %1 does not write: choose libopus, or MKV.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>WebM cannot hold the source's audio stream “%1” as it is: choose libopus, or MKV.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>MP4 holds FLAC audio only in ffmpeg's experimental mode: choose MKV, or another audio encoder.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>MP4 cannot hold the source's audio stream “%1” as it is: choose an audio encoder, or MKV.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 in %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>LogViewer</name>
        <message>
            <source>Log of %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The log “%1” cannot be read: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>MainWindow</name>
        <message>
            <source>&amp;File</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Quit</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Edit</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>E&amp;ncoding</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Encoding in progress</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stop the conversion and quit?</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stop and Quit</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Continue Encoding</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Files being converted are left unfinished and removed; the jobs still waiting are not converted.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>MediaProbe</name>
        <message>
            <source>No preview picture: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No border detection: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>no video stream: mediainfo finds only audio in it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>not a media file: mediainfo finds no video or audio stream in it</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>MediaStream</name>
        <message>
            <source>mono</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>stereo</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n channel(s)</source>
            <translation>
                <numerusform>%n channel</numerusform>
                <numerusform>%n channels</numerusform>
            </translation>
        </message>
        <message>
            <source>unknown format</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>SubRip text</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>(pictures)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 kb/s</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Default</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Forced</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>OutputPlan</name>
        <message>
            <source>%1 is the source</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is the source of another job</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is written by an earlier job</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 exists</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is not a regular file</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No free name is left beside “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The destination is the source file itself; choose another name or folder.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The destination “%1” is the source of another job of this run.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>An earlier job of this run already writes “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” already exists; it is left as it is.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” is not a regular file (a link, a folder, a pipe or a device); nothing is written through it.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>Pickers</name>
        <message>
            <source>Bitrate</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quality</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stereo</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Keep</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Ticked: always deinterlace. Empty: never. A dash (auto): only when mediainfo finds the source interlaced.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>DeInterlace (auto)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>DeInterlace</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Constant quality: lower is better and larger (x264 and x265: 0 to 51, 18 looks like the source, 23 is their default; AV1 and VP9: 0 to 63, about 32 looks as good as x264's 23)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>For an HDR10 or HLG source. Ticked: tone-map the picture to standard range (BT.709). Empty: keep the high dynamic range and ten bits where the encoder carries them (libx265, libsvtav1, libvpx-vp9); other encoders always tone-map.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Target quality</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PlannedOutput</name>
        <message>
            <source>will be replaced</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>written as %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>will be skipped</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>will not be run</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Same as the source: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The source of job %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Same output as job %1 (%2): %3</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 exists: %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PowerActions</name>
        <message>
            <source>Do nothing</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quit Tavrix</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Suspend</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Power off</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The computer could not be suspended: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The computer could not be powered off: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the system bus cannot be reached.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>Preferences</name>
        <message>
            <source>the settings file “%1” is not a regular file; nothing was stored</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the settings file “%1” has a line Tavrix cannot read (line %2); nothing was stored; fix or remove it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>cannot write the settings file “%1”; nothing was stored</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>Preset</name>
        <message>
            <source>“%1” is not one of: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” is not true or false</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” is not text</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” is not a whole number from %2 to %3</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>not a Tavrix preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the preset has no version</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>written by a newer version of Tavrix (preset version %1; this one reads %2)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the preset has no name</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PresetDialogs</name>
        <message>
            <source>Extra ffmpeg parameters</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The preset “%1” adds these ffmpeg parameters to every job it is used for:</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save as Preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Name of the new preset:</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset not saved</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Custom</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The settings as they are, no preset</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PresetLibrary</name>
        <message>
            <source>no preset is called “%1”, and no such file</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The preset for new files, “%1”, no longer exists: new files take the stored settings.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The preset for new files, “%1”, cannot be used (%2): new files take the stored settings.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PresetStore</name>
        <message>
            <source>larger than a preset can be</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>not a regular file</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>not JSON (%1 at byte %2)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>not a Tavrix preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A preset needs a name.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” is the name of a built-in preset.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A preset called “%1” already exists.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The preset file “%1” cannot be read (%2); it is left as it is.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot make the folder “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot write “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No preset is called “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot remove “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1” already exists.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ProgressSheet</name>
        <message>
            <source>Stop</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Progress</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stop.help</source>
            <translation>Stop now: the file being converted is removed and the jobs still waiting are not converted.</translation>
        </message>
        <message>
            <source>Time left: %1 for this file, %2 in all</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Time left: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Time left for this file: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Pause</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stop After This File</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>When done:</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Resume</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paused</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paused. %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ProgressionView</name>
        <message>
            <source>[%1 / %2] %3%</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QFileDialog</name>
        <message>
            <source>Files</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QPlatformTheme</name>
        <message>
            <source>OK</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Close</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Yes</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Discard</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Apply</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Reset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Restore Defaults</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QShortcut</name>
        <message>
            <source>Del</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Ctrl</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Shift</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Alt</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Return</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Backspace</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QualityLevel</name>
        <message>
            <source>Visually lossless</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>High</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Good</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Small</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QualityMeasure</name>
        <message>
            <source>ffmpeg gave no score</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QualityReport</name>
        <message>
            <source>Quality not checked: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>PSNR %1 dB</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>PSNR ∞ (identical)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 % of the source's size</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>(target %1 not reached)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>about %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>from an earlier search</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n values tried in %1 s</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
    </context>
    <context>
        <name>QueueFile</name>
        <message>
            <source>Tavrix ended while this job was being converted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The job list could not be saved to “%1”: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the folder cannot be created</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>it is not a job list</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>job %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The saved job list “%1” was written by a newer version of Tavrix; the list starts empty.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The saved job list was written by a newer version of Tavrix; it was kept as “%1” and the list starts empty.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The saved job list “%1” could not be read (%2); the list starts empty.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The saved job list could not be read (%1); it was kept as “%2” and the list starts empty.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>it is not a regular file; move it away or remove it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The saved job list “%1” is not a regular file; the list starts empty and is not saved until it is moved away or removed.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QueueLock</name>
        <message>
            <source>The job list is in use by another Tavrix process (%1).</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The job list cannot be locked in “%1”.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ReadBack</name>
        <message>
            <source>%1 gave an answer that cannot be read</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 ended without answering</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>RunDesktop</name>
        <message>
            <source>Converting videos</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>RunNotifier</name>
        <message>
            <source>Conversion stopped</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Conversion finished</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n converted</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n failed</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n stopped</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n not run</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
        <message numerus="yes">
            <source>%n incomplete</source>
            <translation type="unfinished">
                <numerusform />
                <numerusform />
            </translation>
        </message>
    </context>
    <context>
        <name>Session</name>
        <message>
            <source>Choosing the quality for %1…</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>Setup</name>
        <message>
            <source>Setup</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Container</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quicktime</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Codec Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Profile Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Autocrop</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Tune Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Bitrate Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Codec Audio</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Bitrate Audio</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Sampling Audio</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Other params</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Subtitle language</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Format outfile</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Ok</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>If the output exists</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Rename</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Skip</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Overwrite</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Write to the first free name: clip-1.mp4, clip-2.mp4…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Leave the file as it is and do not convert the job</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Replace the file once the new one is complete</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Rate Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>VAAPI device</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>First render node</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The graphics device that h264_vaapi and hevc_vaapi encode on</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Simultaneous jobs</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>How many files are converted at once; 1 converts them one after another</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings not saved</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Channels Audio</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Convert HDR to SDR</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>e.g. eng, fra</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Audio languages</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New jobs keep the audio tracks in these languages (the first track when none is); empty keeps the first track.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Subtitle languages</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New jobs keep the subtitle tracks in these languages; empty keeps every subtitle track.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Keep the source's date</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New jobs give the converted file the modification time of its source.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>None</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset for new files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save as Preset…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Presets</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Rename…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Delete</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Export…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Import…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New files take the settings of this preset; those below are kept for “Custom”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Rename Preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New name of “%1”:</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset not renamed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Delete Preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Delete the preset “%1”? Jobs made with it keep their settings.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset not deleted</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Export Preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset not exported</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Import Preset</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset not imported</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Imported as “%1”.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>It adds these ffmpeg parameters to every job: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Preset imported</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>If the output is larger</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Keep it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Keep the source only</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>What becomes of a converted file larger than its source</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Skip files already in the format</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A file whose video codec and container are already those of its job is not converted</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quality</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Check quality after converting</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Each converted file is compared with its source (SSIM and PSNR, while the next file converts); its row says how close it came</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>TargetQualityBox</name>
        <message>
            <source>Custom</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Each file gets the constant quality that keeps this much of its picture, found by encoding a few short samples first: Visually lossless cannot be told from the source, High hardly, Good shows a little softness in fine detail, Small trades detail for size</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The SSIM the output must keep against its source, from 0.9 to 0.9999 (1: the same picture)</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ToolOutcome</name>
        <message>
            <source>%1 exited with status %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 crashed (signal %2)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 could not be started: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 did not answer in %2 s</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 was stopped</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ToolRunner</name>
        <message>
            <source>The program “%1” was not found in %2. Install the Debian package “%1” (sudo apt-get install %1), then build or install Tavrix again.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>WatchFolderDialog</name>
        <message>
            <source>Watch Folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video files that appear in the folder, or in folders inside it, join the job list once they are complete. A file is never taken twice.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder to watch</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings for new files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Also add the videos already in the folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Watch</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>There is no folder there.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This folder is watched already.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This folder lies in “%1”, which is watched already.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>“%1”, inside this folder, is watched already; stop watching it first.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Look through it every 30 seconds (a network share)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Files that other computers write into a network share are not reported to this one: the folder is looked through instead. Ticked by itself for a network share.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>WatchPanel</name>
        <message>
            <source>Watched Folders</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Convert new files automatically</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A new file starts converting as soon as it joins the list. When this is off, new files wait in the list for Encoding.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>State</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Watch Folder…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Pause</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stop Watching</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder is no longer watched. Its files and the jobs already in the list stay as they are.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings for new files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paused</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>Watching · %n new file(s) added</source>
            <translation>
                <numerusform>Watching · %n new file added</numerusform>
                <numerusform>Watching · %n new files added</numerusform>
            </translation>
        </message>
        <message>
            <source>Watching</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Resume</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>every %1 s</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>WatchRecord</name>
        <message>
            <source>it is not a record of this version</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>entry %1 is incomplete</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the record “%1” cannot be read (%2) and cannot be moved aside; files converted before may be converted again</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the record cannot be read (%1); it was kept as “%2” and a new one is started, so files converted before may be converted again</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the record “%1” cannot be written: %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>main</name>
        <message>
            <source>Batch video converter</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video files or folders to import.</source>
            <translation type="unfinished" />
        </message>
    </context>
</TS>
