" Vim syntax file for Vendrix macros (.mac) and hotkey files (.hot).
if exists("b:current_syntax")
  finish
endif
syntax case ignore

syntax match vendrixSemicolon ";;"
syntax match vendrixComment ";\(;\)\@!.*$" contains=@Spell
syntax match vendrixLabel "^\s*:\([^;]\|;;\)*"
syntax match vendrixHotkey "^\s*hotkey\s*=" nextgroup=vendrixKey skipwhite
syntax match vendrixModifier "\<\(shift\|ctrl\|alt\)\>" contained

syntax match vendrixLoader "^\s*\(dim\|include\)\(\s\|$\)\@="
syntax match vendrixControl "^\s*\(__\)\=\(if\|unless\|elseif\|else\|endif\|exitif\|goto\|gotonext\|gotobefore\|call\|gosub\|return\|for\|next\|exitfor\|end\)\(\s\|$\)\@="
syntax match vendrixStatement "^\s*\(__\)\=\(set\|inc\|dec\|pause\|step\|delay\|autodelay\|blockinput\|lclick\|rclick\|moveto\|movere\|wheel\|key\|pastekey\|send\|setorigin\|hotkey\|activate-window\|beep\|setbreakkey\|set-ime\|message\|exec\|shell\|gettitle\|hintmessage\|clipbrd\|getclipbrd\|paste\|autopaste\|readjoystick\|open\|close\|read\|write\|log\|writeini\|saveini\|capture\|capturejpg\|capturescreen\|capturescreenjpg\|opengraph\|closegraph\)\(\s\|$\)\@="
syntax match vendrixThen "\s\zs\(then\|to\|step\)\ze\(\s\|$\)"

syntax region vendrixString start=+"+ skip=+""\|;;+ end=+"+ end=+;+me=s-1 end=+$+ contains=vendrixEscape oneline
syntax match vendrixEscape +""\|\\n\|;;+ contained
syntax region vendrixExpression matchgroup=vendrixParen start="(" end=")\|$" contains=vendrixFunction,vendrixOperator,vendrixExpression,vendrixString,vendrixVariable,vendrixNumber oneline
syntax match vendrixOperator "(\@<=\s*\(+\|-\|\*\|&\|=\|<>\|>=\|<=\|>\|<\|in\|not\|or\|and\|div\|mod\)\([ )]\|$\)\@=" contained
syntax match vendrixFunction "(\@<=\s*\(date\|len\|pos\|substr\|getcopyright\|getmouse\|getcaret\|getwindowpos\|format\|inputbox\|readkey\|getpixel\|message\|trim\|ltrim\|rtrim\|eof\|fileexists\|find-window\|get-ime\|random\|getheight\|getwidth\|upcase\|downcase\|hankaku\|zenkaku\|chr\|asc\|left\|right\|token\|retext\|copyfile\|deletefile\|movefile\|renamefile\|createdir\|deletedir\|direxists\|getfilesize\|getenv\|getcurrentdir\|getexedir\|readini\|loadini\|comparefile\|getscreenheight\|getscreenwidth\|getgraphpixel\|searchgraph\)\([ )]\|$\)\@=" contained

syntax match vendrixVariable "%[^ \t()\";,\[\]]\+\(\[[^\]]*\]\)\="
syntax match vendrixKey "\[[A-Za-z0-9*+./-]\+\]\(++\|--\)\="
syntax match vendrixNumber "\(^\|[ ,(]\)\@<=\(-\=\d\+\|\$\x\+\)\([ ,)]\|$\)\@="
syntax match vendrixConstant "\s\zs\(true\|false\|on\|off\|input\|output\|append\)\ze\(\s\|$\)"

highlight default link vendrixComment Comment
highlight default link vendrixSemicolon SpecialChar
highlight default link vendrixLabel Label
highlight default link vendrixHotkey Keyword
highlight default link vendrixModifier StorageClass
highlight default link vendrixLoader PreProc
highlight default link vendrixControl Conditional
highlight default link vendrixThen Conditional
highlight default link vendrixStatement Statement
highlight default link vendrixString String
highlight default link vendrixEscape SpecialChar
highlight default link vendrixParen Delimiter
highlight default link vendrixOperator Operator
highlight default link vendrixFunction Function
highlight default link vendrixVariable Identifier
highlight default link vendrixKey Special
highlight default link vendrixNumber Number
highlight default link vendrixConstant Constant

let b:current_syntax = "vendrix"
