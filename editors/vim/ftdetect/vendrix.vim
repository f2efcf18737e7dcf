" Vendrix macro and hotkey files: Shift-JIS, CR LF.
autocmd BufNewFile,BufReadPre *.mac,*.MAC,*.hot setlocal fileencodings=cp932 fileformats=dos
autocmd BufNewFile,BufRead *.mac,*.MAC,*.hot set filetype=vendrix
