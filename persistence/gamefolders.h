#pragma once
// Where the game's files live.
//
// - A portable copy: the executable's folder holds the shipped `sound` folder or settings file
//   and the player can write there (the build folder, one copy shared by several computers).
//   Everything stays beside the executable, so every computer that starts that copy shares one
//   hall of fame.
// - An installed copy: the executable's folder cannot be written or ships nothing. The shipped
//   sounds and default settings are read from the install's data folder; the hall of fame and
//   the settings live in the player's own data folder, created at the first start and seeded
//   with the shipped defaults.
// - A data folder chosen on the command line (`--data-dir DIR`) holds the table and the
//   settings instead, whichever copy runs: a table shared from an installed copy.
#include <QString>

namespace talomir {

class GameFolders {
public:
    // What the choice looks at.
    struct Places {
        QString program;               // the executable's folder
        QString installed;             // the install's data folder: shipped sounds and defaults
        QString user;                  // the player's own data folder for an installed copy
        QString chosen;                // from the command line; empty when none was given
        bool programWritable = false;  // the player can write in the executable's folder
    };

    static constexpr const char* kTableFile = "TalomirFathers.txt";
    static constexpr const char* kSettingsFile = "TaloVostrun.ini";
    static constexpr const char* kSoundFolder = "sound";

    // Chooses the folders and prepares the data folder: creates it when missing and copies
    // the shipped table and settings it lacks (never replacing a file). Failures to do so are
    // in problem(); the game then runs, and its saves report their own failures.
    static GameFolders choose(const Places& places);
    // This process's places: the executable's folder (links resolved), the data folder the
    // install puts beside its program folder, and the standard per-user data location.
    static Places systemPlaces(const QString& chosen = {});
    // A portable copy in `folder`, nothing created (tests, and the default before choose()).
    static GameFolders beside(const QString& folder);

    // The player's own data folder: the hall of fame, the settings, anything else the game
    // writes.
    QString dataFolder() const { return data_; }
    QString dataFile(const QString& name) const;
    // The game's `sound` folder: the shipped wav files.
    QString soundFolder() const { return sound_; }
    QString problem() const { return problem_; }

    // What to play for a sound path of the settings: the path when it exists, else the file
    // of the same name in the sound folder when there is one (a shared copy mounted elsewhere,
    // a renamed folder), else the path unchanged.
    QString playable(const QString& path) const;

    // The folders of this run, read by whatever opens a file; until setCurrent() a portable
    // copy in the executable's folder.
    static const GameFolders& current();
    static void setCurrent(const GameFolders& folders);

private:
    QString data_;
    QString sound_;
    QString problem_;
};

}  // namespace talomir
