#pragma once

#include "model/JobSettings.h"

#include <QString>

// What one run follows, decided by whoever starts it (the window reads its settings as the run starts,
// the command line its options over them) and fixed for the run's whole length.
struct RunOptions
{
    using ExistingOutput = ::ExistingOutput;

    // What a job does when its output's name is taken.
    ExistingOutput existing = ExistingOutput::Rename;
    // The extra parameters every job gets, before its own.
    QString globalParams;
    // How many jobs run at once (1: one after another). With `hostsFile`, per host; 0 there lets each
    // host take as many as its line of the file or its cores say.
    int simultaneousJobs = 1;
    // Hands the run to GNU parallel, which spreads the jobs over the hosts of this file (its
    // --sshloginfile format); empty runs everything here.
    QString hostsFile;
    QString parallelProgram = QStringLiteral("parallel");
    // A converted file larger than its source is kept (true), or removed with the source left as the
    // job's only file.
    bool keepLarger = true;
    // A source whose video codec and container are the job's own already is not converted.
    bool skipSameFormat = false;
    // A converted file is compared with its source (SSIM, PSNR) once it is named, while the next job
    // encodes; its result says how close it came.
    bool checkQuality = false;
};
