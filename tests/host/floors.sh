#!/bin/bash
# The three floors: each folder includes from its own folder and the ones below it, never from
# one above it or beside it (README, Layout). Argument: the source tree.
cd "$1" || exit 2
declare -A below=([app]="base sim cpu sound display" [sound]="base sim" [cpu]="base sim"
                  [display]="base sim" [sim]="base" [base]="")
fail=0
for dir in "${!below[@]}"; do
    allowed=" $dir ${below[$dir]} res "
    while IFS=: read -r file used; do
        [[ $allowed == *" $used "* ]] || { echo "$file includes from $used/"; fail=1; }
    done < <(grep -oE '#include "[a-z]+/' "$dir"/* | sed -E 's/#include "([a-z]+)\//\1/')
done
exit $fail
