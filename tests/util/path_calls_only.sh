#!/bin/sh
# Every file and directory call of the program takes its path through
# util/PathCalls (the long form that lifts the 260-character limit): a W or A
# file function named anywhere else in src/ is a path that may be refused.
src="${1:?usage: path_calls_only.sh SRC_DIR}"
pattern='\b((CreateFile|FindFirstFile|FindFirstFileEx|GetFileAttributes|GetFileAttributesEx|SetFileAttributes|DeleteFile|RemoveDirectory|CreateDirectory|CreateDirectoryEx|MoveFile|MoveFileEx|MoveFileWithProgress|CopyFile|CopyFileEx|ReplaceFile|GetTempFileName|CreateHardLink|CreateSymbolicLink)[AW]|CreateFile2|_wfopen|_wopen|fopen)[[:space:]]*\('
found=$(grep -rnE "$pattern" "$src" --include='*.cpp' --include='*.h' | grep -v '/util/PathCalls_win\.cpp:')
if [ -n "$found" ]; then
  echo "File calls outside util/PathCalls:"
  echo "$found"
  exit 1
fi
echo "every file call goes through util/PathCalls"
