#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// Small list files for the start-up tests, in the shipped files' form
// (CR LF line ends).
namespace list_files {

inline const char* const Senate =
    "5 2\r\nAL,R,\"Doe, Jane\",jane@senate.example,http://doe.example/\r\n"
    "AK,D,Roe,none,none\r\n";
inline const char* const House =
    "6 1\r\nAL,1,R,Smith,smith@house.example,http://smith.example/\r\n";
inline const char* const Leaders = "6 1\r\n1,France,President,Someone,none,none\r\n";
inline const char* const Misc =
    "2 1\r\nspare,unused\r\n"
    "2 2\r\nVideo One,http://media.example/1\r\nAudio Two,http://media.example/2\r\n"
    "2 3\r\nLink C,http://c.example/\r\nLink A,http://a.example/\r\nLink B,http://b.example/\r\n";
inline const char* const Legis =
    "1,Europe,\r\n2,1,France,\r\n\"Assemblee\",http://an.example/,\r\n";
// A record line starting with a comma: a field error.
inline const char* const DamagedSenate = "5 1\r\n,R,Doe,x,y\r\n";

inline void Write(const QString& directory, const QString& name, const char* text) {
    QFile file(QDir(directory).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

inline void WriteAll(const QString& directory) {
    Write(directory, "senate.dat", Senate);
    Write(directory, "house.dat", House);
    Write(directory, "leaders.dat", Leaders);
    Write(directory, "misc.dat", Misc);
    Write(directory, "legis.dat", Legis);
}

}  // namespace list_files
