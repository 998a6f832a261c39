#include "tools/patchkit/commands.h"

#include <filesystem>
#include <system_error>

#include <CLI/CLI.hpp>

#include "manifest/package_names.h"
#include "tools/patchkit/archive_check.h"
#include "tools/patchkit/audit_report.h"
#include "tools/patchkit/dry_run/output.h"
#include "tools/patchkit/dump.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/install_writer.h"
#include "tools/patchkit/json_text.h"
#include "tools/patchkit/manifest_image.h"
#include "tools/patchkit/package_check.h"
#include "tools/patchkit/package_packing.h"
#include "tools/patchkit/package_writer.h"
#include "tools/patchkit/progress.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExitStatuses = "Exit status: 0 all is well, 1 problems were found, 2 usage error.";

struct Options {
    MakeRequest make;
    std::string dumpFile;
    bool dumpAsJson = false;
    std::string dumpKind;
    CheckRequest check;
    bool strict = false;
    std::string initDescription;
    std::string initTree;
    std::string auditInstall;
    bool auditAsJson = false;
    DryRunRequest dryRun;
    bool dryRunAsJson = false;
    PackRequest pack;
};

// Arguments that name nothing usable are a usage error, told before any work starts.
bool present(const std::string& path, bool wantFolder, const char* what, std::ostream& err) {
    std::error_code error;
    fs::file_status status = fs::status(fsPathOf(path), error);
    bool ok = wantFolder ? fs::is_directory(status) : fs::is_regular_file(status);
    if (!ok) err << "patchkit: " << path << ": " << what << (wantFolder ? " is not a folder" : " is not a file") << '\n';
    return ok;
}

std::string counted(uint64_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

int statusOf(const Findings& findings, bool strict) {
    if (findings.hasErrors() || (strict && findings.count(Severity::Warning) > 0)) return kProblemsFound;
    return kAllWell;
}

int runMake(const Options& o, std::ostream& out, std::ostream& err, Progress& progress) {
    const MakeRequest& r = o.make;
    if (!present(r.descriptionPath, false, "DESCRIPTION", err) || !present(r.newTree, true, "NEW_TREE", err) ||
        (!r.sinceTree.empty() && !present(r.sinceTree, true, "--since", err)) ||
        (!r.updaterPath.empty() && !present(r.updaterPath, false, "--updater", err))) {
        return kUsageError;
    }
    Findings findings;
    MakeSummary summary;
    bool made = makePackage(r, findings, progress, summary);
    printFindings(err, findings.all());
    if (!made) return kProblemsFound;
    out << "wrote " << joinPath(r.outDir, manifest::kUpdateManifestName) << ": " << counted(summary.directories + summary.files, "entry", "entries") << " ("
        << counted(summary.directories, "folder", "folders") << ", " << counted(summary.files, "file", "files") << ", "
        << counted(summary.bytes, "byte", "bytes") << ")\n";
    if (summary.updaterBesideProgram) out << "put in the " << manifest::kUpdaterProgramName << " that lies beside patchkit\n";
    if (summary.removalWritten) {
        out << "wrote " << joinPath(r.removalPackageDir, manifest::kUpdateManifestName) << ": " << counted(summary.removedFiles, "file", "files") << " ("
            << counted(summary.removedBytes, "byte", "bytes") << ") for Update.exe -u to delete\n";
    } else if (summary.removedFiles > 0) {
        out << counted(summary.removedFiles, "file", "files") << " of " << r.sinceTree << " not in " << r.newTree
            << " will stay in installations: --removal-package DIR writes the package that Update.exe -u runs to delete them\n";
    }
    return statusOf(findings, false);
}

int runDump(const Options& o, std::ostream& out, std::ostream& err) {
    if (!present(o.dumpFile, false, "FILE", err)) return kUsageError;
    KindChoice choice = o.dumpKind == "update" ? KindChoice::Update : o.dumpKind == "install" ? KindChoice::Install : KindChoice::Auto;
    ManifestImage image;
    std::string why;
    if (!readManifestImage(o.dumpFile, choice, image, why)) {
        err << "patchkit: " << o.dumpFile << ": " << why << '\n';
        return kProblemsFound;
    }
    Findings findings;
    findManifestProblems(image, o.dumpFile, findings);
    if (o.dumpAsJson) {
        out << jsonText(dumpJson(image, o.dumpFile, findings.all()));
    } else {
        dumpText(out, image, o.dumpFile, findings.all());
    }
    return statusOf(findings, false);
}

int runCheck(const Options& o, std::ostream& out, std::ostream& err, Progress& progress) {
    // A file named *.zip is a download of the package; anything else must be its folder.
    const std::string& named = o.check.packageDir;
    std::error_code error;
    bool archive = named.size() > 4 && platform::foldedAsciiCase(named.substr(named.size() - 4)) == ".zip" &&
                   fs::is_regular_file(fsPathOf(named), error);
    if (!archive && !present(named, true, "PACKAGE_DIR", err)) return kUsageError;
    Findings findings;
    if (archive) {
        checkPackageArchive(o.check, findings, progress);
    } else {
        checkPackage(o.check, findings, progress);
    }
    printFindings(out, findings.all());
    out << o.check.packageDir << ": " << counted(findings.count(Severity::Error), "error", "errors") << ", "
        << counted(findings.count(Severity::Warning), "warning", "warnings") << "\n";
    return statusOf(findings, o.strict);
}

int runPack(const Options& o, std::ostream& out, std::ostream& err, Progress& progress) {
    if (!present(o.pack.packageDir, true, "PACKAGE_DIR", err)) return kUsageError;
    Findings findings;
    PackSummary summary;
    bool packed = packPackage(o.pack, findings, progress, summary);
    printFindings(err, findings.all());
    if (!packed) return kProblemsFound;
    out << "wrote " << o.pack.archivePath << ": " << counted(summary.members, "member", "members") << " of "
        << counted(summary.bytes, "byte", "bytes") << " in " << counted(summary.archiveBytes, "byte", "bytes") << "\n";
    return kAllWell;
}

int runInitInstall(const Options& o, std::ostream& out, std::ostream& err, Progress& progress) {
    if (!present(o.initDescription, false, "DESCRIPTION", err) || !present(o.initTree, true, "INSTALL_TREE", err)) return kUsageError;
    Findings findings;
    uint32_t entries = 0;
    bool written = writeInstallRecord(o.initDescription, o.initTree, findings, progress, entries);
    printFindings(err, findings.all());
    if (!written) return kProblemsFound;
    out << "wrote " << joinPath(o.initTree, manifest::kUninstallManifestName) << ": " << counted(entries, "entry", "entries") << "\n";
    return statusOf(findings, false);
}

int runAudit(const Options& o, std::ostream& out, std::ostream& err, Progress& progress) {
    if (!present(o.auditInstall, true, "INSTALL_DIR", err)) return kUsageError;
    std::vector<Disagreement> found = auditInstallation(o.auditInstall, progress);
    if (o.auditAsJson) {
        out << jsonText(auditJson(o.auditInstall, found));
    } else {
        auditText(out, o.auditInstall, found);
    }
    return found.empty() ? kAllWell : kProblemsFound;
}

int runDryRunCommand(const Options& o, std::ostream& out, std::ostream& err, Progress& progress) {
    const DryRunRequest& r = o.dryRun;
    if (!present(r.packageDirUtf8, true, "PACKAGE_DIR", err) || !present(r.installDirUtf8, true, "INSTALL_DIR", err)) return kUsageError;
    DryRunFolders folders;
    std::string why;
    if (!dryRunFoldersOf(r, folders, why)) {
        err << "patchkit: " << why << '\n';
        return kUsageError;
    }
    overlay::FilesOverlay files(platform::files(), dryRunLimits(folders));
    DryRunObservation seen;
    runDryRun(folders, files, progress, seen);
    DryRunReport report = reportOf(seen);
    if (o.dryRunAsJson) {
        out << jsonText(dryRunJson(r, report));
    } else {
        dryRunText(out, r, report);
    }
    return report.succeeds ? kAllWell : kProblemsFound;
}

}  // namespace

int runPatchkit(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    Options o;
    CLI::App app{"Makes and inspects update packages for Update.exe: Updateinf.dat, its data folder, and installation records.",
                 "patchkit"};
    app.require_subcommand(1);
    app.footer(kExitStatuses);
    app.set_version_flag("--version", "patchkit " UPDATER_VERSION);

    CLI::App* make = app.add_subcommand("make", "Write OUT_DIR/Updateinf.dat and OUT_DIR/data/ from the files of NEW_TREE");
    make->add_option("DESCRIPTION", o.make.descriptionPath, "Package description (JSON, its \"update\" section)")->required()->type_name("FILE");
    make->add_option("NEW_TREE", o.make.newTree, "Folder holding the product's files as they are to be installed")->required()->type_name("DIR");
    make->add_option("OUT_DIR", o.make.outDir, "Folder for the package; new or without a package in it")->required()->type_name("DIR");
    CLI::Option* since = make->add_option("--since", o.make.sinceTree, "Previous version's tree: only new and changed files go in")->type_name("OLD_TREE");
    make->add_option("--updater", o.make.updaterPath, "Copy this updater executable beside the manifest (default: the Update.exe beside patchkit, if any)")
        ->type_name("PATH");
    make->add_option("--removal-package", o.make.removalPackageDir, "Also write here the package that Update.exe -u runs to delete the files of OLD_TREE that NEW_TREE lacks")
        ->type_name("DIR")
        ->needs(since);
    make->footer(kExitStatuses);

    CLI::App* dump = app.add_subcommand("dump", "Show Updateinf.dat or Uninstallinf.dat with every field the updater reads");
    dump->add_option("FILE", o.dumpFile, "The manifest file")->required()->type_name("FILE");
    dump->add_flag("--json", o.dumpAsJson, "JSON instead of text");
    dump->add_option("--kind", o.dumpKind, "Which manifest it is, when neither its name nor its size tells")
        ->check(CLI::IsMember({"update", "install"}))
        ->type_name("KIND");
    dump->footer(kExitStatuses);

    CLI::App* check = app.add_subcommand("check", "Find everything in a package that would stop the updater or make it go wrong");
    check->add_option("PACKAGE_DIR", o.check.packageDir, "Folder holding Updateinf.dat and data/, or a zip of one (as pack writes it)")
        ->required()
        ->type_name("DIR|ZIP");
    CLI::Option* installPath =
        check->add_option("--install-path", o.check.installPath, "Installation folder to test path lengths against, e.g. C:\\Program Files\\Product\\")
            ->type_name("PATH");
    CLI::Option* updatePath =
        check->add_option("--update-path", o.check.updatePath, "Folder the package will run from, to test the data folder's path lengths against")
            ->type_name("PATH");
    check->add_flag("--strict", o.strict, "Warnings count as problems too");
    check->add_flag("--removal", o.check.removal, "The package is for Update.exe -u, which deletes its files and reads no payload");
    check->footer(kExitStatuses);

    CLI::App* pack = app.add_subcommand("pack", "Write the download of a package that check passes: a zip whose names a Japanese Windows reads as written");
    pack->add_option("PACKAGE_DIR", o.pack.packageDir, "Folder holding Update.exe, Updateinf.dat and data/")->required()->type_name("DIR");
    pack->add_option("OUT_ZIP", o.pack.archivePath, "The zip to write; one there is replaced")->required()->type_name("FILE");
    pack->add_flag("--removal", o.pack.removal, "The package is for Update.exe -u, and is checked as one");
    pack->footer(kExitStatuses);

    CLI::App* init = app.add_subcommand("init-install", "Write INSTALL_TREE/Uninstallinf.dat listing the tree, as an installer would");
    init->add_option("DESCRIPTION", o.initDescription, "Package description (JSON, its \"install\" section)")->required()->type_name("FILE");
    init->add_option("INSTALL_TREE", o.initTree, "The installed product's folder")->required()->type_name("DIR");
    init->footer(kExitStatuses);

    CLI::App* audit = app.add_subcommand("audit", "Report every way an installation and its Uninstallinf.dat disagree");
    audit->add_option("INSTALL_DIR", o.auditInstall, "The installed product's folder, holding Uninstallinf.dat")->required()->type_name("DIR");
    audit->add_flag("--json", o.auditAsJson, "JSON instead of text");
    audit->footer("Exit status: 0 the installation agrees with its record, 1 it does not, 2 usage error.");

    CLI::App* dryRun = app.add_subcommand("dry-run", "Show what the updater would do with a package on an installation, changing nothing");
    dryRun->add_option("PACKAGE_DIR", o.dryRun.packageDirUtf8, "Folder holding Updateinf.dat and data/")->required()->type_name("DIR");
    dryRun->add_option("INSTALL_DIR", o.dryRun.installDirUtf8, "The installed product's folder, holding Uninstallinf.dat")
        ->required()
        ->type_name("DIR");
    dryRun->add_flag("--removal", o.dryRun.removal, "As Update.exe -u: delete the package's files from the installation");
    dryRun->add_flag("--json", o.dryRunAsJson, "JSON instead of text");
    dryRun->footer("Exit status: 0 the run would succeed, 1 it would fail, 2 usage error.");

    std::vector<const char*> argv{"patchkit"};
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    // CLI11 reports every parse outcome, help included, as an exception; this is the one place
    // the tool catches one.
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? kAllWell : kUsageError;
    }
    o.check.hasInstallPath = installPath->count() > 0;
    o.check.hasUpdatePath = updatePath->count() > 0;

    Progress progress(err, errIsTerminal);
    if (make->parsed()) return runMake(o, out, err, progress);
    if (dump->parsed()) return runDump(o, out, err);
    if (check->parsed()) return runCheck(o, out, err, progress);
    if (pack->parsed()) return runPack(o, out, err, progress);
    if (audit->parsed()) return runAudit(o, out, err, progress);
    if (dryRun->parsed()) return runDryRunCommand(o, out, err, progress);
    return runInitInstall(o, out, err, progress);
}

}  // namespace patchkit
